#pragma once
// A two-stage resonant filter with feedback from the difference of its stages;
// one state update gives both a low-pass and a high-pass output.

struct ResonantFilter {
    // A tiny offset on the input keeps the stages away from denormals.
    static constexpr double kOffset = double(1e-8f);

    // A zero denominator (f == 1) or a non-finite result leaves no resonance,
    // so out-of-range values stay finite.
    void setCoefficients(float f, float r) {
        cutoff = f;
        const double denominator = 1.0 - double(f);
        const float fb = denominator != 0.0 ? static_cast<float>(double(r) / denominator + double(r)) : 0.0f;
        feedbackAmount = fb - fb == 0.0f ? fb : 0.0f;
    }

    float lowPass(float x) {
        update(x);
        return stage2;
    }

    float highPass(float x) {
        update(x);
        return static_cast<float>(double(x) - double(stage2));
    }

    void update(float x) {
        stage1 = static_cast<float>(
            ((double(stage1) - double(stage2)) * feedbackAmount + ((double(x) + kOffset) - double(stage1))) * cutoff +
            double(stage1));
        stage2 = static_cast<float>((double(stage1) - double(stage2)) * cutoff + double(stage2));
    }

    float cutoff = 0.0f;
    float feedbackAmount = 0.0f;
    float stage1 = 0.0f;
    float stage2 = 0.0f;
};
