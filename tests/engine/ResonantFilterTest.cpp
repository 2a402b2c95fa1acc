#include "engine/ResonantFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace {

// Both outputs after a long constant input.
std::pair<float, float> settled(float lowCutoff, float lowResonance, float highCutoff, float input) {
    ResonantFilter lowPass;
    lowPass.setCoefficients(lowCutoff, lowResonance);
    ResonantFilter highPass;
    highPass.setCoefficients(highCutoff, 0.1f);
    float low = 0.0f;
    float high = 0.0f;
    for (int i = 0; i < 20000; ++i) {
        low = lowPass.lowPass(input);
        high = highPass.highPass(input);
    }
    return {low, high};
}

TEST(ResonantFilter, SilenceSettlesAtTheOffset) {
    EXPECT_EQ(ResonantFilter::kOffset, 9.99999993922529e-09);
    const auto [low, high] = settled(0.4f, 0.1f, 0.15f, 0.0f);
    EXPECT_EQ(low, 1e-8f);
    // The high-pass stages settle within a few roundings of the offset:
    // never exactly 0.
    EXPECT_NEAR(high, -1e-8f, 1e-14f);
    EXPECT_LT(high, 0.0f);
}

TEST(ResonantFilter, UnityGainAtDc) {
    const auto [low, high] = settled(0.56999999f, 0.8f, 0.15f, 0.5f);
    EXPECT_NEAR(low, 0.5f, 1e-6f);
    EXPECT_NEAR(high, 0.0f, 1e-6f);
}

TEST(ResonantFilter, FeedbackFromTheStoredCutoff) {
    ResonantFilter filter;
    filter.setCoefficients(0.37f, 0.8f);
    EXPECT_EQ(filter.cutoff, 0.37f);
    EXPECT_EQ(filter.feedbackAmount, static_cast<float>(double(0.8f) / (1.0 - double(0.37f)) + double(0.8f)));
}

TEST(ResonantFilter, CutoffOfOneOrMoreStaysFinite) {
    for (const float f : {1.0f, 1.5f, 40.0f}) {
        ResonantFilter filter;
        filter.setCoefficients(f, 0.8f);
        EXPECT_TRUE(std::isfinite(filter.feedbackAmount)) << f;
    }
    ResonantFilter filter;
    filter.setCoefficients(1.0f, 0.8f);
    EXPECT_EQ(filter.feedbackAmount, 0.0f);
}

}  // namespace
