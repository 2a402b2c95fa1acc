#pragma once
// Helpers the engine tests and the benchmark share: the parameter values a
// new plug-in applies after every resume, and bit-level views of samples.
#include <array>
#include <bit>
#include <cstdint>

constexpr std::array<float, 10> kDefaultParameters = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f};

// Resumes an engine and applies the defaults, as the plug-in's resume does.
template <typename Engine>
bool resumeWithDefaults(Engine& engine, float sampleRate, std::int32_t draw) {
    const bool built = engine.resume(sampleRate, draw);
    for (std::int32_t index = 0; index < 10; ++index)
        engine.setParameter(index, kDefaultParameters[index]);
    return built;
}

inline std::uint32_t bitsOf(float v) {
    return std::bit_cast<std::uint32_t>(v);
}
