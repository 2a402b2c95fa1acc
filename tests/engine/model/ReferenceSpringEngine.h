#pragma once
// The engine written to read like the signal flow, one sample at a time, with
// every parameter applied at the moment it is set. The shipped SpringEngine
// must match it bit for bit, output and state.
#include "engine/EngineState.h"
#include "engine/SpringTank.h"

#include <cstdint>

class ReferenceSpringEngine {
public:
    bool resume(float sampleRate, std::int32_t draw) { return tank.build(sampleRate, draw); }
    void releaseBuffers() { tank.releaseBuffers(); }
    void setParameter(std::int32_t index, float value) { tank.applyParameter(index, value); }
    void process(const float* in, float* out, std::int32_t frames);
    void exportState(EngineState& state) const { tank.exportState(state); }

private:
    float step(float in);

    SpringTank tank;
};
