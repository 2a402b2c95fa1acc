#pragma once
// The spring tank: sixteen damped combs in four banks, four resonant filters,
// the parameter mapping and the kick playback. Owned by the plug-in object.
//
// Threading: process() runs on the audio thread; setParameter() may run on any
// thread at any time, including during process(). resume()/releaseBuffers()
// run only while processing is stopped.
#include <cstdint>

class SpringEngine {
public:
    SpringEngine();
    ~SpringEngine();
    SpringEngine(const SpringEngine&) = delete;
    SpringEngine& operator=(const SpringEngine&) = delete;

    // Rebuilds the tank for sampleRate: kick rewound, filters cleared, buffers
    // resized and zeroed with a fresh spread drawn from the C runtime's rand()
    // (low 15 bits). A non-finite or non-positive rate keeps the previous one.
    // Returns false if a buffer could not be allocated; process() then copies
    // its input to its output until the next successful resume.
    bool resume(float sampleRate);
    // Same with a given draw r in 0..32767 instead of rand(), for tests.
    bool resume(float sampleRate, std::int32_t draw);

    // Frees every delay buffer (destruction).
    void releaseBuffers();

    // Maps one parameter value (index 0..9, any float) to the engine's
    // coefficients; indices outside 0..9 are ignored.
    void setParameter(std::int32_t index, float value);

    // One block; in and out may be the same buffer. frames <= 0 does nothing.
    void process(const float* in, float* out, std::int32_t frames);
};
