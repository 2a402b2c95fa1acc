#pragma once
// The spring tank: sixteen damped combs in four banks, four resonant filters,
// the parameter mapping and the kick playback. Owned by the plug-in object.
//
// Threading: process() runs on the audio thread; setParameter() may run on any
// thread at any time, including during process(). resume()/releaseBuffers()
// run only while processing is stopped.
//
// setParameter() never touches the tank: it publishes the raw value in a
// per-parameter atomic slot, flags it and bumps a change counter (release).
// process() looks at the counter once per block (acquire) and applies the
// flagged values, in index order, before its first sample. When calls come
// between blocks this is exactly the same as applying them at the call, since
// the ten mappings touch disjoint fields. Two events need care:
//  - Kick: several sets between blocks restart the impulse once, with the
//    last value, which is what applying each of them would leave.
//  - SpringTension: each change zeroes the last activeLength entries of every
//    buffer. Those suffixes nest, so a batch of changes is the longest suffix
//    (the largest fraction seen, kept with an atomic max) followed by the last
//    fraction. Positions are never touched.
// resume() and releaseBuffers() first apply whatever is pending.
//
// The tank runs in sub-blocks in which no unit of banks B to D wraps: those
// units then read and write consecutive entries, and nothing read in a
// sub-block was written in it. Bank A's short loops wrap inside the sample
// loop, so sub-blocks stay long. One loop does a whole sample: the sixteen
// damping low-passes run side by side in pairs of doubles (SSE2), one unit of
// each bank per pair so the bank sums are plain vertical operations; the two
// timbre filters run as one pair, one sample ahead, since their inputs are
// reads known in advance (valid while every loop is at least two samples
// long; otherwise each sub-block is one sample). Input scaling, the kick and
// the output clip run in separate passes over chunks of the block. Every
// stored value is computed with the same double operations, in the same
// order, as in the sample-by-sample flow, so the result is bit for bit the
// same (tests compare the two on long random scripts in the shipped build).
//
// Bad input: a non-finite input sample counts as 0; a non-finite output
// sample is written as 0; a tank whose loops went non-finite is emptied at the
// end of the block (one test per block) without drawing a new spread;
// non-finite parameter values count as 0 and out-of-range ones are mapped as
// given, with lengths clamped to the buffers and filter feedback kept finite
// (SpringTank). Until a resume succeeds, process() copies input to output.
#include "engine/EngineState.h"
#include "engine/SpringTank.h"

#include <array>
#include <atomic>
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

    // The full state, for tests; call between blocks.
    void exportState(EngineState& state) const;

private:
    void applyPending();
    void processTank(const float* in, float* out, std::int32_t frames);

    SpringTank tank;

    std::array<std::atomic<float>, SpringTank::kNumParameters> pendingValues{};
    std::array<std::atomic<std::uint32_t>, SpringTank::kNumParameters> pendingFlags{};
    // Largest SpringTension length fraction since the last apply.
    std::atomic<float> pendingLongestFraction;
    std::atomic<std::uint32_t> changeCounter{0};
    std::uint32_t appliedCounter = 0;
};
