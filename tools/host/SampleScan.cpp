#include "tools/host/SampleScan.h"

#include <cmath>

void SampleScan::add(const float* samples, int count) {
    for (int i = 0; i < count; ++i) {
        switch (std::fpclassify(samples[i])) {
            case FP_NAN:
                ++nans;
                break;
            case FP_INFINITE:
                ++infinities;
                break;
            case FP_SUBNORMAL:
                ++subnormals;
                break;
            default:
                break;
        }
    }
}

std::string SampleScan::describe() const {
    return std::to_string(nans) + " NaN, " + std::to_string(infinities) + " infinite, " + std::to_string(subnormals) +
           " subnormal samples";
}
