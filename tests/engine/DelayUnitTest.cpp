#include "engine/DelayUnit.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

std::vector<float> runImpulse(DelayUnit& unit, int steps) {
    std::vector<float> out;
    for (int i = 0; i < steps; ++i)
        out.push_back(unit.tick(i == 0 ? 1.0f : 0.0f));
    return out;
}

TEST(DelayUnit, ImpulseReturnsUndampedThenThroughTheDampingLowPass) {
    constexpr int n = 50;
    DelayUnit unit;
    ASSERT_TRUE(unit.resize(n));
    unit.setFeedback(0.94f);
    unit.setDamping(0.6f);
    const float b = unit.dampingComplement;
    EXPECT_EQ(b, static_cast<float>(1.0 - double(0.6f)));

    const std::vector<float> out = runImpulse(unit, 2 * n + 2);
    for (int step = 1; step <= n; ++step)
        EXPECT_EQ(out[step - 1], 0.0f) << step;
    EXPECT_EQ(out[n], 1.0f);
    EXPECT_EQ(out[2 * n], static_cast<float>(double(b) * double(0.94f)));
    const float ab = static_cast<float>(double(0.6f) * double(b));
    EXPECT_EQ(out[2 * n + 1], static_cast<float>(double(ab) * double(0.94f)));
}

struct FractionCase {
    float fraction;
    std::int32_t activeLength;
    std::int32_t firstCleared;  // entries from here to the end are zeroed
};

class LengthFraction : public testing::TestWithParam<FractionCase> {};

TEST_P(LengthFraction, ClearsTheLastActiveLengthEntries) {
    const FractionCase c = GetParam();
    DelayUnit unit;
    ASSERT_TRUE(unit.resize(1000));
    for (int i = 0; i < 1000; ++i)
        unit.samples[i] = 1.0f;
    unit.position = 700;
    unit.setLengthFraction(c.fraction);
    EXPECT_EQ(unit.activeLength, c.activeLength);
    EXPECT_EQ(unit.allocatedLength, 1000);
    EXPECT_EQ(unit.position, 700);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(unit.samples[i], i >= c.firstCleared ? 0.0f : 1.0f) << i;
}

INSTANTIATE_TEST_SUITE_P(Fractions, LengthFraction,
                         testing::Values(FractionCase{0.5f, 500, 500}, FractionCase{0.9f, 899, 101},
                                         FractionCase{0.1f, 100, 900},
                                         // Out of range: clamped to the buffer, nothing outside touched.
                                         FractionCase{1.7f, 1000, 0}, FractionCase{-0.3f, 0, 1000},
                                         FractionCase{0.0f, 0, 1000}));

TEST(DelayUnit, NonFiniteFractionGivesAnEmptyLoop) {
    EXPECT_EQ(DelayUnit::lengthFor(1000, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(DelayUnit::lengthFor(1000, std::numeric_limits<float>::infinity()), 1000);
    EXPECT_EQ(DelayUnit::lengthFor(1000, -std::numeric_limits<float>::infinity()), 0);
}

TEST(DelayUnit, StrandedPositionIsUsedOnceThenWraps) {
    DelayUnit unit;
    ASSERT_TRUE(unit.resize(1000));
    unit.setFeedback(1.0f);
    unit.position = 700;
    unit.setLengthFraction(0.5f);
    unit.samples[700] = 0.25f;
    EXPECT_EQ(unit.tick(0.0f), 0.25f);
    EXPECT_EQ(unit.position, 0);
    for (int i = 0; i < 600; ++i) {
        unit.tick(0.0f);
        ASSERT_LT(unit.position, 500);
    }
}

TEST(DelayUnit, ActiveLengthZeroOrOneIsAOneSampleLoop) {
    for (const float fraction : {0.0f, 0.5f}) {
        DelayUnit unit;
        ASSERT_TRUE(unit.resize(2));  // 2 x 0.5 = 1, 2 x 0 = 0
        unit.setFeedback(0.5f);
        unit.setDamping(0.0f);
        unit.setLengthFraction(fraction);
        EXPECT_EQ(unit.tick(1.0f), 0.0f);
        EXPECT_EQ(unit.position, 0);
        EXPECT_EQ(unit.tick(0.0f), 1.0f);  // what the previous step wrote
        EXPECT_EQ(unit.tick(0.0f), 0.5f);
        EXPECT_EQ(unit.position, 0);
    }
}

}  // namespace
