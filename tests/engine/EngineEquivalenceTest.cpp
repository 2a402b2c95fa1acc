// The shipped engine against the straightforward one: every output sample and
// the full state after every block, over long random scripts.
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"
#include "tests/engine/model/ReferenceSpringEngine.h"
#include "tests/engine/model/ScriptRandom.h"
#include "tests/engine/model/StateComparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Script {
    float sampleRate;
    std::uint64_t seed;
    int blocks;
    bool wild;  // values outside 0..1, non-finite input, odd rates
};

class EngineEquivalence : public testing::TestWithParam<Script> {};

float parameterValue(ScriptRandom& random, bool wild) {
    if (wild && random.chance(15)) {
        static const float kOdd[] = {-0.5f,
                                     1.5f,
                                     1.575f,
                                     2.5f,
                                     -3.0f,
                                     1e30f,
                                     -1e30f,
                                     3e38f,
                                     std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity()};
        return kOdd[random.below(10)];
    }
    if (random.chance(10))
        return random.chance(50) ? 0.0f : 1.0f;
    return random.uniform(0.0f, 1.0f);
}

void fillInput(ScriptRandom& random, std::vector<float>& input, std::int32_t frames, bool wild) {
    const int kind = random.below(4);
    for (std::int32_t i = 0; i < frames; ++i) {
        float v = 0.0f;
        if (kind == 0)
            v = random.uniform(-1.0f, 1.0f);
        else if (kind == 1)
            v = random.chance(1) ? random.uniform(-1.0f, 1.0f) : 0.0f;
        else if (kind == 2)
            v = 0.25f * std::sin(0.01f * static_cast<float>(i));
        if (wild && random.chance(1)) {
            static const float kOdd[] = {std::numeric_limits<float>::quiet_NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(), 3e38f, -1e20f};
            v = kOdd[random.below(5)];
        }
        input[i] = v;
    }
}

std::int32_t blockSize(ScriptRandom& random) {
    // Log-uniform from 1 to 4096, so tiny and large blocks both occur.
    const int octave = random.below(13);
    return 1 + random.below(1 << octave);
}

TEST_P(EngineEquivalence, MatchesReferenceOutputAndState) {
    const Script script = GetParam();
    ScriptRandom random(script.seed);
    auto shipped = std::make_unique<SpringEngine>();
    auto reference = std::make_unique<ReferenceSpringEngine>();
    std::int32_t draw = random.below(32768);
    resumeWithDefaults(*shipped, script.sampleRate, draw);
    resumeWithDefaults(*reference, script.sampleRate, draw);

    std::vector<float> input(4096), expected(4096), actual(4096);
    EngineState expectedState, actualState;
    int strandings = 0;  // tension changes that left a position past its loop
    for (int block = 0; block < script.blocks; ++block) {
        // Parameter changes between blocks, sometimes several to the same
        // parameter (SpringTension and Kick batches matter most).
        const int changes = random.chance(50) ? 0 : random.below(6);
        for (int c = 0; c < changes; ++c) {
            const std::int32_t index = random.chance(30) ? (random.chance(50) ? 4 : 9) : random.below(11);
            const float value = parameterValue(random, script.wild);
            shipped->setParameter(index, value);
            reference->setParameter(index, value);
            if (index == 4) {
                reference->exportState(expectedState);
                for (const EngineState::Unit& unit : expectedState.delayUnits)
                    strandings += unit.position >= unit.activeLength && unit.activeLength > 0;
            }
        }
        if (random.chance(2)) {
            static const float kRates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f,
                                           300.0f,   -1.0f,    0.0f,     std::numeric_limits<float>::quiet_NaN()};
            const float rate = script.wild ? kRates[random.below(8)] : script.sampleRate;
            draw = random.below(32768);
            ASSERT_EQ(shipped->resume(rate, draw), reference->resume(rate, draw));
            for (std::int32_t index = 0; index < 10; ++index) {
                const float value = random.chance(80) ? kDefaultParameters[index] : parameterValue(random, script.wild);
                shipped->setParameter(index, value);
                reference->setParameter(index, value);
            }
        }

        const std::int32_t frames = blockSize(random);
        fillInput(random, input, frames, script.wild);
        reference->process(input.data(), expected.data(), frames);
        if (random.chance(50)) {
            actual.assign(input.begin(), input.end());
            shipped->process(actual.data(), actual.data(), frames);
        } else {
            shipped->process(input.data(), actual.data(), frames);
        }
        for (std::int32_t i = 0; i < frames; ++i) {
            ASSERT_EQ(bitsOf(expected[i]), bitsOf(actual[i])) << "block " << block << " sample " << i << " of "
                                                              << frames << ": " << expected[i] << " vs " << actual[i];
            ASSERT_TRUE(std::isfinite(actual[i]));
        }
        reference->exportState(expectedState);
        shipped->exportState(actualState);
        ASSERT_TRUE(sameState(expectedState, actualState)) << "after block " << block;
    }
    EXPECT_GT(strandings, 10);
}

INSTANTIATE_TEST_SUITE_P(Scripts, EngineEquivalence,
                         testing::Values(Script{44100.0f, 1, 1500, false}, Script{48000.0f, 2, 1500, false},
                                         Script{96000.0f, 3, 1000, false}, Script{44100.0f, 4, 1500, true},
                                         Script{48000.0f, 5, 1500, true}, Script{96000.0f, 6, 1000, true}),
                         [](const testing::TestParamInfo<Script>& param) {
                             return std::string(param.param.wild ? "Wild" : "InRange") + "At" +
                                    std::to_string(static_cast<int>(param.param.sampleRate)) + "Seed" +
                                    std::to_string(param.param.seed);
                         });

}  // namespace
