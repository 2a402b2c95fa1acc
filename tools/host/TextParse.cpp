#include "tools/host/TextParse.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

bool parseDouble(const std::string& text, double& value) {
    if (text.empty() || text.front() == ' ')
        return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool parseInt(const std::string& text, int& value) {
    if (text.empty() || text.front() == ' ')
        return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || parsed < -2147483647L || parsed > 2147483647L)
        return false;
    value = static_cast<int>(parsed);
    return true;
}
