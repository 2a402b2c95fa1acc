// processReplacing cost of the shipped engine and of the straightforward
// reference model, in the same run: blocks of 512 at the default parameters
// and at SpringTension 1 (shortest loops, so the shortest sub-blocks).
#include "engine/SpringEngine.h"
#include "tests/engine/model/EngineScript.h"
#include "tests/engine/model/ReferenceSpringEngine.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr std::int32_t kBlock = 512;

template <typename Engine>
void processBlocks(benchmark::State& state) {
    const float sampleRate = static_cast<float>(state.range(0));
    const float tension = static_cast<float>(state.range(1));
    auto engine = std::make_unique<Engine>();
    resumeWithDefaults(*engine, sampleRate, 12345);
    engine->setParameter(4, tension == 0.0f ? 0.5f : 1.0f);

    // A decaying noise burst every block keeps the whole tank busy.
    std::vector<float> input(kBlock), output(kBlock);
    std::uint32_t seed = 1;
    for (std::int32_t i = 0; i < kBlock; ++i) {
        seed = seed * 1664525u + 1013904223u;
        input[i] = (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * std::exp(-0.01f * static_cast<float>(i));
    }
    // Let the tail build up before timing.
    for (int warm = 0; warm < 200; ++warm)
        engine->process(input.data(), output.data(), kBlock);

    for (auto _ : state) {
        engine->process(input.data(), output.data(), kBlock);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_sample"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void arguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"rate", "tension1"});
    for (const std::int64_t rate : {44100, 96000})
        for (const std::int64_t tension : {0, 1})
            b->Args({rate, tension});
}

BENCHMARK(processBlocks<SpringEngine>)->Name("Shipped")->Apply(arguments);
BENCHMARK(processBlocks<ReferenceSpringEngine>)->Name("Reference")->Apply(arguments);

}  // namespace

BENCHMARK_MAIN();
