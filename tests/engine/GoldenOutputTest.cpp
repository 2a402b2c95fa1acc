// The shipped engine's output for a fixed input, draw and parameter script,
// reduced to a hash of its bits: the same on every target (Linux, 32- and
// 64-bit Windows). The script leaves the kick alone so that the hash depends
// only on the arithmetic.
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"
#include "tests/engine/model/ReferenceSpringEngine.h"
#include "tests/engine/model/ScriptRandom.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

template <typename Engine>
std::uint64_t outputHash(float sampleRate) {
    ScriptRandom random(20261211);
    auto engine = std::make_unique<Engine>();
    resumeWithDefaults(*engine, sampleRate, 4242);
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    std::vector<float> io(4096);
    for (int block = 0; block < 120; ++block) {
        if (block % 10 == 5)
            engine->setParameter(random.below(9), random.uniform(0.0f, 1.0f));
        const std::int32_t frames = 1 + random.below(4096);
        for (std::int32_t i = 0; i < frames; ++i)
            io[i] = random.chance(2) ? random.uniform(-1.0f, 1.0f) : 0.0f;
        engine->process(io.data(), io.data(), frames);
        for (std::int32_t i = 0; i < frames; ++i) {
            hash ^= bitsOf(io[i]);
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

TEST(GoldenOutput, SameBitsOnEveryTarget) {
    EXPECT_EQ(outputHash<SpringEngine>(44100.0f), 6507644637808801894ull);
    EXPECT_EQ(outputHash<SpringEngine>(96000.0f), 3892712530538196362ull);
}

TEST(GoldenOutput, TheReferenceModelGivesTheSameBits) {
    EXPECT_EQ(outputHash<ReferenceSpringEngine>(44100.0f), 6507644637808801894ull);
    EXPECT_EQ(outputHash<ReferenceSpringEngine>(96000.0f), 3892712530538196362ull);
}

}  // namespace
