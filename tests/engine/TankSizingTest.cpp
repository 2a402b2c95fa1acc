// Building the tank for a rate: lengths, the kick step, rates a host should
// never send, and a failed allocation.
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

using Lengths = std::array<std::int32_t, 16>;

struct SizingCase {
    float sampleRate;
    std::int32_t draw;
    Lengths lengths;
};

class TankSizing : public testing::TestWithParam<SizingCase> {};

TEST_P(TankSizing, AllocatedLengthsFollowRateAndDraw) {
    const SizingCase c = GetParam();
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(engine->resume(c.sampleRate, c.draw));
    EngineState state;
    engine->exportState(state);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(state.delayUnits[k].allocatedLength, c.lengths[k]) << "unit " << k;
        EXPECT_EQ(state.delayUnits[k].activeLength, c.lengths[k]) << "unit " << k;
        EXPECT_EQ(state.delayUnits[k].position, 0);
        for (const float v : state.delayUnits[k].samples)
            ASSERT_EQ(v, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TankSizing,
    testing::Values(
        SizingCase{
            44100.0f, 0, {88, 97, 114, 141, 1561, 1711, 1984, 2266, 3686, 3836, 4154, 4357, 5944, 5971, 5979, 5997}},
        SizingCase{44100.0f,
                   32767,
                   {92, 101, 120, 148, 1639, 1796, 2083, 2380, 3871, 4028, 4361, 4574, 6241, 6269, 6278, 6297}},
        SizingCase{
            48000.0f, 0, {96, 105, 124, 153, 1699, 1862, 2160, 2467, 4012, 4175, 4521, 4742, 6470, 6499, 6508, 6528}},
        SizingCase{48000.0f,
                   32767,
                   {100, 110, 131, 161, 1784, 1955, 2267, 2590, 4213, 4384, 4747, 4979, 6793, 6824, 6834, 6854}}));

TEST(TankSizing, KickStepFollowsTheRate) {
    auto engine = std::make_unique<SpringEngine>();
    EngineState state;
    const std::pair<float, double> cases[] = {{44100.0f, 0.362811803817749},
                                              {48000.0f, 0.3333333432674408},
                                              {96000.0f, double(static_cast<float>(16000.0 / 96000.0))}};
    for (const auto& [rate, step] : cases) {
        ASSERT_TRUE(engine->resume(rate, 7));
        engine->exportState(state);
        EXPECT_EQ(double(state.kickStep), step) << rate;
    }
}

TEST(TankSizing, UnusableRatesKeepThePreviousOne) {
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(engine->resume(48000.0f, 0));
    for (const float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
        ASSERT_TRUE(engine->resume(rate, 0)) << rate;
        EngineState state;
        engine->exportState(state);
        EXPECT_EQ(state.sampleRate, 48000.0f);
        EXPECT_EQ(state.delayUnits[0].allocatedLength, 96);
    }
}

TEST(TankSizing, EveryPositiveRateGivesEveryUnitASample) {
    for (const float rate : {1e-30f, 1.0f, 100.0f, 499.0f, 768000.0f}) {
        auto engine = std::make_unique<SpringEngine>();
        ASSERT_TRUE(resumeWithDefaults(*engine, rate, 32767)) << rate;
        EngineState state;
        engine->exportState(state);
        for (const EngineState::Unit& unit : state.delayUnits)
            EXPECT_GE(unit.allocatedLength, 1) << rate;
        std::vector<float> io(4096, 0.5f);
        engine->setParameter(9, 1.0f);
        for (const float tension : {1.0f, 0.0f, 0.5f}) {
            engine->setParameter(4, tension);
            engine->process(io.data(), io.data(), 4096);
            for (const float v : io)
                ASSERT_TRUE(std::isfinite(v)) << rate;
        }
    }
}

TEST(TankSizing, FailedBuildPassesTheDrySignalUntilTheNextResume) {
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*engine, 44100.0f, 1));
    // Far more than any buffer may hold: fails like an allocation would.
    EXPECT_FALSE(resumeWithDefaults(*engine, 1e15f, 1));
    std::vector<float> in = {0.5f, -0.25f, std::numeric_limits<float>::quiet_NaN(), 1.0f};
    std::vector<float> out(in.size(), 9.0f);
    engine->process(in.data(), out.data(), 4);
    EXPECT_EQ(out, (std::vector<float>{0.5f, -0.25f, 0.0f, 1.0f}));

    ASSERT_TRUE(resumeWithDefaults(*engine, 44100.0f, 1));
    std::vector<float> impulse(64, 0.0f);
    impulse[0] = 1.0f;
    engine->setParameter(8, 1.0f);  // wet only: the dry copy would give 1.0
    engine->process(impulse.data(), out.data(), 1);
    EXPECT_NE(out[0], 1.0f);
}

TEST(TankSizing, EachResumeDrawsAgainAndEmptiesTheTank) {
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*engine, 44100.0f, 0));
    std::vector<float> noise(4096);
    for (int i = 0; i < 4096; ++i)
        noise[i] = (i * 7919 % 200 - 100) / 100.0f;
    engine->process(noise.data(), noise.data(), 4096);
    ASSERT_TRUE(resumeWithDefaults(*engine, 44100.0f, 32767));
    EngineState state;
    engine->exportState(state);
    EXPECT_EQ(state.delayUnits[15].allocatedLength, 6297);
    for (const EngineState::Unit& unit : state.delayUnits)
        for (const float v : unit.samples)
            ASSERT_EQ(v, 0.0f);
    for (const ResonantFilter& filter : state.filters) {
        EXPECT_EQ(filter.stage1, 0.0f);
        EXPECT_EQ(filter.stage2, 0.0f);
    }
}

}  // namespace
