#pragma once
// A small deterministic generator: the same numbers on every compiler and
// platform (the standard distributions are not specified bit for bit).
#include <cstdint>

class ScriptRandom {
public:
    explicit ScriptRandom(std::uint64_t seed) : state(seed) {}

    std::uint64_t next() {
        // splitmix64
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= result < n
    std::int32_t below(std::int32_t n) { return static_cast<std::int32_t>(next() % static_cast<std::uint64_t>(n)); }
    // Uniform in [lo, hi), exact in float on every platform.
    float uniform(float lo, float hi) {
        const float unit = static_cast<float>(next() >> 40) * (1.0f / 16777216.0f);
        return lo + (hi - lo) * unit;
    }
    bool chance(std::int32_t percent) { return below(100) < percent; }

private:
    std::uint64_t state;
};
