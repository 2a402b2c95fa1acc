#pragma once
// A circular delay line whose recirculated signal passes a one-pole damping
// low-pass before it is written back: a damped feedback comb. The sample read
// by a step is the one written activeLength steps earlier.
#include <cstdint>
#include <memory>

class DelayUnit {
public:
    // Zero-filled buffer of n samples (n >= 1), position 0, active length n.
    // Damping and feedback keep their values. False (and no buffer) if the
    // allocation failed.
    bool resize(std::int32_t n);
    // Shortens the comb to allocatedLength x fraction samples, clamped to
    // 0..allocatedLength so that no fraction can send a step outside the
    // buffer, and zeroes the last activeLength entries of the buffer.
    void setLengthFraction(float fraction);
    void release();
    void setFeedback(float g) { feedback = g; }
    void setDamping(float d);
    // Zeroes the buffer and the loop state; lengths and coefficients stay.
    void clear();

    // One sample step. A position stranded at or beyond activeLength (after a
    // shortening) is still read and written once, then wraps to 0.
    float tick(float input) {
        const float y = samples[position];
        lastOutput = y;
        dampState = static_cast<float>(double(y) * dampingComplement + double(damping) * dampState);
        samples[position] = static_cast<float>(double(dampState) * feedback + input);
        if (++position >= activeLength)
            position = 0;
        return y;
    }

    // Active length for a fraction of n samples; NaN and negative give 0.
    static std::int32_t lengthFor(std::int32_t n, float fraction);

    std::int32_t position = 0;
    std::int32_t allocatedLength = 0;
    std::int32_t activeLength = 0;
    std::unique_ptr<float[]> samples;
    float feedback = 0.0f;
    float dampState = 0.0f;
    float damping = 0.0f;
    float dampingComplement = 0.0f;
    float lastOutput = 0.0f;
};
