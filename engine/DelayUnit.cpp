#include "engine/DelayUnit.h"

#include <algorithm>
#include <new>

bool DelayUnit::resize(std::int32_t n) {
    release();
    samples.reset(new (std::nothrow) float[static_cast<std::size_t>(n)]());
    if (!samples) {
        allocatedLength = activeLength = 0;
        return false;
    }
    allocatedLength = activeLength = n;
    return true;
}

std::int32_t DelayUnit::lengthFor(std::int32_t n, float fraction) {
    const double length = double(n) * fraction;
    if (!(length > 0.0))
        return 0;
    if (length >= double(n))
        return n;
    return static_cast<std::int32_t>(length);
}

void DelayUnit::setLengthFraction(float fraction) {
    activeLength = lengthFor(allocatedLength, fraction);
    if (activeLength > 0)
        std::fill(samples.get() + (allocatedLength - activeLength), samples.get() + allocatedLength, 0.0f);
}

void DelayUnit::release() {
    position = 0;
    samples.reset();
    allocatedLength = activeLength = 0;
}

void DelayUnit::setDamping(float d) {
    damping = d;
    dampingComplement = static_cast<float>(1.0 - d);
}

void DelayUnit::clear() {
    position = 0;
    dampState = 0.0f;
    lastOutput = 0.0f;
    if (samples)
        std::fill(samples.get(), samples.get() + allocatedLength, 0.0f);
}
