// setParameter from another thread while blocks are processed: safe (run it
// under the thread sanitizer build too), and once the calls stop the engine
// is exactly where the last values put it.
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"
#include "tests/engine/model/ReferenceSpringEngine.h"
#include "tests/engine/model/ScriptRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace {

TEST(ConcurrentParameters, ChangesDuringProcessingAreSafe) {
    auto engine = std::make_unique<SpringEngine>();
    ASSERT_TRUE(resumeWithDefaults(*engine, 44100.0f, 99));
    std::atomic<bool> stop{false};
    std::array<float, 10> last = kDefaultParameters;
    std::thread setter([&] {
        ScriptRandom random(7);
        while (!stop.load(std::memory_order_relaxed)) {
            const std::int32_t index = random.below(10);
            const float value = random.uniform(0.0f, 1.0f);
            engine->setParameter(index, value);
            last[index] = value;
            std::this_thread::yield();
        }
    });
    std::vector<float> io(512);
    for (int block = 0; block < 400; ++block) {
        for (std::size_t i = 0; i < io.size(); ++i)
            io[i] = std::sin(0.05f * static_cast<float>(block * 512 + static_cast<int>(i)));
        engine->process(io.data(), io.data(), 512);
        for (const float v : io)
            ASSERT_TRUE(std::isfinite(v));
    }
    stop.store(true);
    setter.join();

    // With the setter gone, the next block applies whatever is still pending:
    // every coefficient then matches the last value of its parameter.
    float sample = 0.0f;
    engine->process(&sample, &sample, 1);
    auto reference = std::make_unique<ReferenceSpringEngine>();
    ASSERT_TRUE(reference->resume(44100.0f, 99));
    for (std::int32_t index = 0; index < 9; ++index)
        reference->setParameter(index, last[index]);
    EngineState expected, actual;
    reference->exportState(expected);
    engine->exportState(actual);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(expected.delayUnits[k].feedback, actual.delayUnits[k].feedback);
        EXPECT_EQ(expected.delayUnits[k].damping, actual.delayUnits[k].damping);
        EXPECT_EQ(expected.delayUnits[k].activeLength, actual.delayUnits[k].activeLength);
    }
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(expected.filters[f].cutoff, actual.filters[f].cutoff);
        EXPECT_EQ(expected.filters[f].feedbackAmount, actual.filters[f].feedbackAmount);
    }
    EXPECT_EQ(expected.inputGain, actual.inputGain);
    EXPECT_EQ(expected.dispersionDepth, actual.dispersionDepth);
    EXPECT_EQ(expected.wetGain, actual.wetGain);
    EXPECT_EQ(expected.dryGain, actual.dryGain);
    EXPECT_EQ(last[9], actual.kickGain);
}

}  // namespace
