// Parameter values to coefficients, read back from the engine's state.
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"
#include "tests/engine/model/StateComparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <limits>
#include <memory>
#include <vector>

namespace {

struct MappingRow {
    float x;
    // The documented values, eight significant digits: each names one float.
    double feedback, feedbackD, damping, complement, depth, fraction;
    double timbre1Cutoff, timbre1Feedback, timbre2Cutoff, timbre2Feedback;
    double highPassCutoff, highPassFeedback, lowPassCutoff, lowPassFeedback, wet, dry;
};

class Mapping : public testing::TestWithParam<MappingRow> {};

TEST_P(Mapping, CoefficientsAtTheDocumentedPoints) {
    const MappingRow row = GetParam();
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(engine->resume(1000.0f / (2.0f * 0.068f), 0));  // unit 15 gets 1000 samples
    for (std::int32_t index = 0; index < 10; ++index)
        engine->setParameter(index, row.x);
    float sample = 0.0f;
    engine->process(&sample, &sample, 1);
    EngineState s;
    engine->exportState(s);

    auto f = [](double v) { return static_cast<float>(v); };
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(s.delayUnits[k].feedback, f(k < 12 ? row.feedback : row.feedbackD)) << k;
        EXPECT_EQ(s.delayUnits[k].damping, f(row.damping)) << k;
        EXPECT_EQ(s.delayUnits[k].dampingComplement, f(row.complement)) << k;
    }
    EXPECT_EQ(s.dispersionDepth, f(row.depth));
    EXPECT_EQ(s.delayUnits[15].activeLength, DelayUnit::lengthFor(s.delayUnits[15].allocatedLength, f(row.fraction)));
    EXPECT_EQ(s.filters[1].cutoff, f(row.timbre1Cutoff));
    EXPECT_EQ(s.filters[1].feedbackAmount, f(row.timbre1Feedback));
    EXPECT_EQ(s.filters[2].cutoff, f(row.timbre2Cutoff));
    EXPECT_EQ(s.filters[2].feedbackAmount, f(row.timbre2Feedback));
    EXPECT_EQ(s.filters[0].cutoff, f(row.highPassCutoff));
    EXPECT_EQ(s.filters[0].feedbackAmount, f(row.highPassFeedback));
    EXPECT_EQ(s.filters[3].cutoff, f(row.lowPassCutoff));
    EXPECT_EQ(s.filters[3].feedbackAmount, f(row.lowPassFeedback));
    EXPECT_EQ(s.wetGain, f(row.wet));
    EXPECT_EQ(s.dryGain, f(row.dry));
    EXPECT_EQ(s.inputGain, row.x);
    EXPECT_EQ(s.kickGain, row.x);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Mapping,
    testing::Values(MappingRow{0.0f, 0.89999998, 0.84599996, 0.5, 0.5, 0, 0.89999998, 0.37, 2.0698414, 0.46000001,
                               2.2814815, 0.1, 0.21111111, 0.25, 0.23333333, 0, 1},
                    MappingRow{0.5f, 0.94, 0.8836, 0.60000002, 0.39999998, 1, 0.5, 0.56999999, 2.6604652, 0.66000003,
                               3.1529415, 0.15000001, 0.21764706, 0.40000001, 0.26666668, 1, 1},
                    MappingRow{1.0f, 0.97999996, 0.92119998, 0.69999999, 0.30000001, 2, 0.099999987, 0.76999998,
                               4.2782607, 0.86000001, 6.5142865, 0.2, 0.22500001, 0.55000001, 0.32222223, 1, 0}));

TEST(Mapping, SpringTensionOnAThousandSampleUnit) {
    struct Case {
        float x;
        std::int32_t active, firstCleared;
    };
    for (const Case c : {Case{0.0f, 899, 101}, Case{1.0f, 99, 901}, Case{0.5f, 500, 500}}) {
        auto engine = std::make_unique<SpringEngine>();
        ASSERT_TRUE(resumeWithDefaults(*engine, 1000.0f / (2.0f * 0.068f), 0));
        std::vector<float> noise(3000);
        for (std::size_t i = 0; i < noise.size(); ++i)
            noise[i] = (static_cast<int>(i * 7919 % 200) - 100) / 100.0f;
        engine->process(noise.data(), noise.data(), 3000);
        EngineState before, after;
        engine->exportState(before);
        engine->setParameter(4, c.x);
        float sample = 0.0f;
        engine->process(&sample, &sample, 0);  // nothing processed, nothing applied
        engine->exportState(after);
        EXPECT_EQ(after.delayUnits[15].activeLength, 500);
        engine->process(&sample, &sample, 1);
        engine->exportState(after);
        const EngineState::Unit& unit = after.delayUnits[15];
        ASSERT_EQ(unit.allocatedLength, 1000);
        EXPECT_EQ(unit.activeLength, c.active) << c.x;
        // One step ran after the change: it touched the entry at the old position.
        const std::int32_t touched = before.delayUnits[15].position;
        for (std::int32_t i = 0; i < 1000; ++i) {
            if (i == touched)
                continue;
            const float expected = i >= c.firstCleared ? 0.0f : before.delayUnits[15].samples[i];
            ASSERT_EQ(bitsOf(unit.samples[i]), bitsOf(expected)) << "x " << c.x << " entry " << i;
        }
    }
}

TEST(Mapping, OutputMixCrossfade) {
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*engine, 44100.0f, 0));
    EngineState s;
    float sample = 0.0f;
    for (const auto& [x, dry, wet] : {std::tuple{0.25f, 1.0f, 0.5f}, std::tuple{0.75f, 0.5f, 1.0f}}) {
        engine->setParameter(8, x);
        engine->process(&sample, &sample, 1);
        engine->exportState(s);
        EXPECT_EQ(s.dryGain, dry);
        EXPECT_EQ(s.wetGain, wet);
    }
}

TEST(Mapping, IndicesOutsideTheTableChangeNothing) {
    auto plain = std::make_unique<SpringEngine>();
    auto poked = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*plain, 44100.0f, 0));
    ASSERT_TRUE(resumeWithDefaults(*poked, 44100.0f, 0));
    for (const std::int32_t index : {10, 11, -1, 1 << 30})
        poked->setParameter(index, 0.9f);
    float a = 0.25f, b = 0.25f;
    plain->process(&a, &a, 1);
    poked->process(&b, &b, 1);
    EngineState expected, actual;
    plain->exportState(expected);
    poked->exportState(actual);
    EXPECT_TRUE(sameState(expected, actual));
}

TEST(Mapping, ValuesOutsideZeroToOneStaySafe) {
    // Far outside: active lengths clamp to the buffers, a cutoff of 1 or more
    // leaves a finite filter, and NaN counts as 0.
    const float kOdd[] = {-1.0f,
                          1.5f,
                          1.575f,
                          2.0f,
                          7.0f,
                          -1e30f,
                          1e30f,
                          3.4e38f,
                          std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()};
    std::vector<float> io(2048);
    for (const float value : kOdd) {
        for (std::int32_t index = 0; index < 10; ++index) {
            auto engine = std::make_unique<SpringEngine>();
            ASSERT_TRUE(resumeWithDefaults(*engine, 44100.0f, 5));
            engine->setParameter(index, value);
            for (int block = 0; block < 8; ++block) {
                for (std::size_t i = 0; i < io.size(); ++i)
                    io[i] = (static_cast<int>(i * 7919 % 200) - 100) / 100.0f;
                engine->process(io.data(), io.data(), 2048);
                for (const float v : io)
                    ASSERT_TRUE(std::isfinite(v)) << "index " << index << " value " << value;
            }
            EngineState s;
            engine->exportState(s);
            for (const EngineState::Unit& unit : s.delayUnits) {
                EXPECT_GE(unit.activeLength, 0);
                EXPECT_LE(unit.activeLength, unit.allocatedLength);
                EXPECT_LT(unit.position, unit.allocatedLength);
            }
            for (const ResonantFilter& filter : s.filters)
                EXPECT_TRUE(std::isfinite(filter.feedbackAmount) && std::isfinite(filter.stage2));
        }
    }
}

}  // namespace
