#pragma once
// The state both engines share: sixteen damped combs in four banks (A 0-3,
// B 4-7, C 8-11, D 12-15), four resonant filters, the gains and the kick
// playback; with building the tank for a rate, the mapping of parameter values
// to coefficients, and the recovery of a tank gone non-finite. How samples flow
// through it is the engine's business.
#include "engine/DelayUnit.h"
#include "engine/EngineState.h"
#include "engine/KickImpulse.h"
#include "engine/ResonantFilter.h"

#include <array>
#include <cmath>
#include <cstdint>

class SpringTank {
public:
    static constexpr int kNumUnits = 16;
    static constexpr int kNumParameters = 10;
    static constexpr int kSpringTensionIndex = 4;
    static constexpr int kKickIndex = 9;
    // Longest buffer a rate may ask for; a larger rate fails like an allocation.
    static constexpr double kMaxUnitLength = 16.0 * 1024 * 1024;
    static const std::array<float, kNumUnits> kTimeConstants;

    // Kick rewound, filters reset, buffers sized for sampleRate and the draw r
    // (0..32767) and zero-filled. A non-finite or non-positive rate keeps the
    // previous one. On failure every buffer is released and built stays false.
    bool build(float rate, std::int32_t draw);
    void releaseBuffers();

    // One parameter value to coefficients; non-finite values count as 0.
    void applyParameter(std::int32_t index, float value);
    // The length fraction a SpringTension value gives.
    static float lengthFraction(float value);
    // The value, or 0 for NaN and infinities (x - x is 0 only when finite).
    static float sanitized(float value) { return value - value == 0.0f ? value : 0.0f; }

    // The check a block ends with: one test on a sum of the loop states.
    bool loopStateIsFinite() const;
    // Empties the tank as a build would, keeping lengths and coefficients.
    void clearLoops();

    // Kick contribution of one sample, in double; advances the playback.
    double kickContribution() { return kickContribution(kickGain, kickPosition, kickStep); }
    static double kickContribution(float gain, float& position, float step) {
        if (!(gain > 0.0f) || !(position < float(kKickImpulseLength)))
            return 0.0;
        position = static_cast<float>(double(step) + double(position));
        return double(gain) * kickValueAt(position);
    }
    // The output low-pass scaled by 0.1 and clipped to -1..1. The clip is
    // (|z + 1| - |z - 1|) / 2 in single steps, which also sets tiny values to
    // 0; for |z| near 2^24 and above its roundings no longer cancel (it can
    // give 2), so the result is bounded once more.
    static float scaledClip(float o) {
        const float z = static_cast<float>(double(o) * double(0.1f));
        const float hi = std::fabs(static_cast<float>(double(z) + 1.0));
        const float lo = std::fabs(static_cast<float>(double(z) - 1.0));
        const float c = static_cast<float>((double(hi) - double(lo)) * 0.5);
        return c > 1.0f ? 1.0f : c < -1.0f ? -1.0f : c;
    }

    // The impulse interpolated at a position >= 0; 0 at or beyond the end.
    static float kickValueAt(float position) {
        if (!(position < float(kKickImpulseLength)))
            return 0.0f;
        const std::int32_t i = static_cast<std::int32_t>(position);
        const double frac = double(position) - double(i);
        const double next = i + 1 < kKickImpulseLength ? double(KickImpulse[i + 1]) : 0.0;
        const double here = KickImpulse[i];
        return static_cast<float>(frac * (next - here) + here);
    }

    void exportState(EngineState& state) const;

    std::array<DelayUnit, kNumUnits> delayUnits;
    ResonantFilter inputHighPass;
    ResonantFilter timbreFilter1;
    ResonantFilter timbreFilter2;
    ResonantFilter outputLowPass;
    float inputGain = 0.0f;
    float dispersionDepth = 0.0f;
    float dryGain = 0.0f;
    float wetGain = 0.0f;
    float kickGain = 0.0f;
    float kickPosition = 0.0f;
    float kickStep = 0.0f;
    float sampleRate = 44100.0f;
    bool built = false;
};
