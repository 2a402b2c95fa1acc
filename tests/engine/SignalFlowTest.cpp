// What comes out of the tank for simple inputs, and what bad input does.
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<float> noise(std::size_t n, float scale) {
    std::vector<float> v(n);
    std::uint32_t seed = 12345;
    for (float& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * 2.0f * scale;
    }
    return v;
}

std::unique_ptr<SpringEngine> defaultEngine(float rate = 44100.0f, std::int32_t draw = 0) {
    auto engine = std::make_unique<SpringEngine>();
    EXPECT_TRUE(resumeWithDefaults(*engine, rate, draw));
    return engine;
}

TEST(SignalFlow, SilenceGivesExactZerosAtDefaults) {
    for (const float rate : {44100.0f, 48000.0f, 96000.0f}) {
        auto engine = defaultEngine(rate, 20000);
        std::vector<float> io(static_cast<std::size_t>(rate) * 2, 0.0f);
        engine->process(io.data(), io.data(), static_cast<std::int32_t>(io.size()));
        for (std::size_t i = 0; i < io.size(); ++i)
            ASSERT_EQ(bitsOf(io[i]), 0u) << rate << " sample " << i;
    }
}

TEST(SignalFlow, DryOnlyIsTheInput) {
    auto engine = defaultEngine();
    engine->setParameter(8, 0.0f);
    const std::vector<float> in = noise(10000, 1.0f);
    std::vector<float> out(in.size());
    engine->process(in.data(), out.data(), static_cast<std::int32_t>(in.size()));
    EXPECT_EQ(in, out);
}

TEST(SignalFlow, WetOnlyNeverExceedsFullScale) {
    auto engine = defaultEngine();
    engine->setParameter(8, 1.0f);
    engine->setParameter(0, 1.0f);
    engine->setParameter(1, 1.0f);
    std::vector<float> io = noise(44100, 1e6f);
    engine->process(io.data(), io.data(), static_cast<std::int32_t>(io.size()));
    float peak = 0.0f;
    for (const float v : io)
        peak = std::max(peak, std::fabs(v));
    EXPECT_LE(peak, 1.0f);
    EXPECT_EQ(peak, 1.0f);  // it does clip
}

TEST(SignalFlow, ImpulseGivesTheDryOneThenASmallTail) {
    auto engine = defaultEngine();
    std::vector<float> io(44100, 0.0f);
    io[0] = 1.0f;
    engine->process(io.data(), io.data(), static_cast<std::int32_t>(io.size()));
    EXPECT_EQ(io[0], 1.0f);
    float peak = 0.0f;
    int nonZero = 0;
    for (std::size_t i = 1; i < io.size(); ++i) {
        peak = std::max(peak, std::fabs(io[i]));
        nonZero += io[i] != 0.0f;
    }
    EXPECT_GT(nonZero, 1000);
    EXPECT_GT(peak, 0.0f);
    EXPECT_LT(peak, 0.5f);
}

TEST(SignalFlow, InPlaceEqualsSeparateBuffersAndBlockSizeDoesNotMatter) {
    auto separate = defaultEngine();
    auto inPlace = defaultEngine();
    auto single = defaultEngine();
    const std::vector<float> in = noise(5000, 0.5f);
    std::vector<float> out(in.size()), io = in, one(in.size());
    separate->process(in.data(), out.data(), 5000);
    inPlace->process(io.data(), io.data(), 5000);
    for (std::size_t i = 0; i < in.size(); ++i)
        single->process(&in[i], &one[i], 1);
    EXPECT_EQ(out, io);
    EXPECT_EQ(out, one);
}

TEST(SignalFlow, NonFiniteInputIsProcessedAsZero) {
    auto clean = defaultEngine();
    auto dirty = defaultEngine();
    std::vector<float> in = noise(4000, 0.5f);
    std::vector<float> bad = in;
    const float kBad[] = {kNaN, kInf, -kInf, -kNaN};
    for (std::size_t i = 100; i < in.size(); i += 397) {
        in[i] = 0.0f;
        bad[i] = kBad[i % 4];
    }
    std::vector<float> expected(in.size()), actual(in.size());
    clean->process(in.data(), expected.data(), 4000);
    dirty->process(bad.data(), actual.data(), 4000);
    EXPECT_EQ(expected, actual);
}

TEST(SignalFlow, AnUnstableTankIsEmptiedAndOutputStaysFinite) {
    auto engine = defaultEngine();
    // Far out of range: loop gains well above 1 and a huge input gain.
    engine->setParameter(1, 40.0f);
    engine->setParameter(0, 1e30f);
    engine->setParameter(5, 1.5f);
    std::vector<float> io;
    EngineState s;
    for (int block = 0; block < 40; ++block) {
        io = noise(1024, 1.0f);
        engine->process(io.data(), io.data(), 1024);
        for (const float v : io)
            ASSERT_TRUE(std::isfinite(v));
        engine->exportState(s);
        // Whatever ran away in the block was cleared at its end.
        for (const EngineState::Unit& unit : s.delayUnits)
            ASSERT_TRUE(std::isfinite(unit.dampState) && std::isfinite(unit.lastOutput));
        for (const ResonantFilter& filter : s.filters)
            ASSERT_TRUE(std::isfinite(filter.stage1) && std::isfinite(filter.stage2));
    }
    // Back to sane values: the tank settles to silence again.
    for (std::int32_t index = 0; index < 10; ++index)
        engine->setParameter(index, kDefaultParameters[index]);
    io.assign(44100, 0.0f);
    for (int second = 0; second < 10; ++second)
        engine->process(io.data(), io.data(), 44100);
    for (const float v : io)
        ASSERT_EQ(v, 0.0f);
    engine->exportState(s);
    for (const EngineState::Unit& unit : s.delayUnits)
        for (const float v : unit.samples)
            ASSERT_TRUE(std::isfinite(v));
}

TEST(SignalFlow, ProcessingBeforeAnyResumePassesTheInput) {
    SpringEngine engine;
    const std::vector<float> in = noise(64, 1.0f);
    std::vector<float> out(64);
    engine.process(in.data(), out.data(), 64);
    EXPECT_EQ(in, out);
    engine.process(in.data(), out.data(), 0);
    engine.process(in.data(), out.data(), -5);
}

}  // namespace
