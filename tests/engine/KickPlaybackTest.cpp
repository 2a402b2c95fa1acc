// Playing the recorded knock into the tank.
#include "engine/KickImpulse.h"
#include "engine/SpringEngine.h"
#include "engine/SpringTank.h"
#include "tests/engine/model/EngineScript.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(KickPlayback, FirstValueIsInterpolatedAtOneStep) {
    SpringTank tank;
    ASSERT_TRUE(tank.build(44100.0f, 0));
    tank.applyParameter(9, 1.0f);
    const float expected = static_cast<float>(0.362811803817749 * (double(0.00484437309f) - double(0.00310642598f)) +
                                              double(0.00310642598f));
    EXPECT_EQ(tank.kickContribution(), double(expected));
}

struct EndCase {
    float sampleRate;
    int lastSample;  // the output sample at which the position passes the end
};

class KickEnd : public testing::TestWithParam<EndCase> {};

TEST_P(KickEnd, PlaybackEndsAtTheSameTimeAtEveryRate) {
    const EndCase c = GetParam();
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*engine, c.sampleRate, 0));
    engine->setParameter(9, 1.0f);
    std::vector<float> silence(c.lastSample - 1, 0.0f);
    engine->process(silence.data(), silence.data(), c.lastSample - 1);
    EngineState s;
    engine->exportState(s);
    EXPECT_LT(s.kickPosition, float(kKickImpulseLength));
    float sample = 0.0f;
    engine->process(&sample, &sample, 1);
    engine->exportState(s);
    EXPECT_GE(s.kickPosition, float(kKickImpulseLength));
    const float end = s.kickPosition;
    engine->process(silence.data(), silence.data(), 1000);
    engine->exportState(s);
    EXPECT_EQ(s.kickPosition, end);  // held after the end: no looping
}

INSTANTIATE_TEST_SUITE_P(Rates, KickEnd, testing::Values(EndCase{44100.0f, 15886}, EndCase{48000.0f, 17288}));

TEST(KickPlayback, TheLastStepsReadZeroPastTheEnd) {
    const float last = KickImpulse[kKickImpulseLength - 1];
    EXPECT_EQ(SpringTank::kickValueAt(5762.5f), static_cast<float>(0.5 * (0.0 - double(last)) + double(last)));
    EXPECT_EQ(SpringTank::kickValueAt(5763.0f), 0.0f);
    EXPECT_EQ(SpringTank::kickValueAt(1e30f), 0.0f);
}

TEST(KickPlayback, SettingKickRestartsOrStops) {
    SpringTank tank;
    ASSERT_TRUE(tank.build(44100.0f, 0));
    tank.applyParameter(9, 1.0f);
    const double first = tank.kickContribution();
    for (int i = 0; i < 100; ++i)
        tank.kickContribution();
    tank.applyParameter(9, 0.5f);
    EXPECT_EQ(tank.kickContribution(), 0.5 * first);
    tank.applyParameter(9, 0.0f);
    EXPECT_EQ(tank.kickContribution(), 0.0);
    EXPECT_EQ(tank.kickPosition, 0.0f);
}

TEST(KickPlayback, TwoSetsBetweenBlocksAreOneRestartWithTheLastValue) {
    auto once = std::make_unique<SpringEngine>();
    auto twice = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*once, 44100.0f, 3));
    ASSERT_TRUE(resumeWithDefaults(*twice, 44100.0f, 3));
    std::vector<float> a(3000, 0.0f), b(3000, 0.0f);
    once->setParameter(9, 1.0f);
    twice->setParameter(9, 1.0f);
    once->process(a.data(), a.data(), 1000);
    twice->process(b.data(), b.data(), 1000);
    once->setParameter(9, 0.7f);
    twice->setParameter(9, 0.2f);
    twice->setParameter(9, 0.7f);
    once->process(a.data(), a.data(), 3000);
    twice->process(b.data(), b.data(), 3000);
    EXPECT_EQ(a, b);
    EngineState s;
    twice->exportState(s);
    EXPECT_EQ(s.kickGain, 0.7f);
}

}  // namespace
