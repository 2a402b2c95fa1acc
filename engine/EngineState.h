#pragma once
// A full copy of an engine's state, taken between blocks, so that two engines
// can be compared field by field and bit by bit.
#include "engine/ResonantFilter.h"

#include <array>
#include <cstdint>
#include <vector>

struct EngineState {
    struct Unit {
        std::int32_t position = 0;
        std::int32_t allocatedLength = 0;
        std::int32_t activeLength = 0;
        std::vector<float> samples;
        float feedback = 0.0f;
        float dampState = 0.0f;
        float damping = 0.0f;
        float dampingComplement = 0.0f;
        float lastOutput = 0.0f;
    };

    std::array<Unit, 16> delayUnits;
    // inputHighPass, timbreFilter1, timbreFilter2, outputLowPass.
    std::array<ResonantFilter, 4> filters;
    float inputGain = 0.0f;
    float dispersionDepth = 0.0f;
    float dryGain = 0.0f;
    float wetGain = 0.0f;
    float kickGain = 0.0f;
    float kickPosition = 0.0f;
    float kickStep = 0.0f;
    float sampleRate = 0.0f;
    bool built = false;
};
