#pragma once
#include <cstdint>

#include "params/ParameterIndex.h"

struct ParameterInfo {
    const char* name;  // also the key in the MIDI map file: never rename
    const char* label;
    std::int32_t defaultCc;
    float defaultValue;
};

extern const ParameterInfo kParameterInfo[kNumParams];
extern const char* const kParameterDescriptions[kNumParams];
