#pragma once
#include <cstdint>

enum ParameterIndex : std::int32_t {
    kInputVolume = 0,
    kDecay,
    kDamp,
    kDispersion,
    kSpringTension,
    kTimbre,
    kHiPass,
    kLoPass,
    kOutputMix,
    kKick,
    kNumParams
};

constexpr bool isParameterIndex(std::int32_t index) {
    return index >= 0 && index < kNumParams;
}
