#include "host/HostText.h"

#include <cstdio>
#include <cstring>

void copyHostText(char* destination, const char* source, std::size_t capacity) {
    if (destination == nullptr || capacity == 0) {
        return;
    }
    std::size_t length = source != nullptr ? std::strlen(source) : 0;
    if (length > capacity - 1) {
        length = capacity - 1;
    }
    if (length > 0) {
        std::memcpy(destination, source, length);
    }
    destination[length] = '\0';
}

void formatParameterValue(char* destination, float value) {
    if (destination == nullptr) {
        return;
    }
    const double shown = value;
    constexpr int kFitting = static_cast<int>(kParameterTextCapacity) - 1;
    for (int precision = 6; precision >= 0; --precision) {
        if (std::snprintf(nullptr, 0, "%.*f", precision, shown) <= kFitting) {
            std::snprintf(destination, kParameterTextCapacity, "%.*f", precision, shown);
            return;
        }
    }
    for (int precision = 2; precision >= 0; --precision) {
        if (std::snprintf(nullptr, 0, "%.*e", precision, shown) <= kFitting) {
            std::snprintf(destination, kParameterTextCapacity, "%.*e", precision, shown);
            return;
        }
    }
    // Unreachable for any float, but the bound holds either way.
    std::snprintf(destination, kParameterTextCapacity, "%.0e", shown);
}
