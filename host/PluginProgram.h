#pragma once
// One program: a name and the ten parameter values. The values are the only
// store of the current parameters; any host thread may read or write them.
#include <array>
#include <atomic>

#include "host/HostText.h"
#include "params/ParameterIndex.h"

struct PluginProgram {
    char name[kProgramNameCapacity] = {};
    std::array<std::atomic<float>, kNumParams> values{};
};
