#include "tools/host/ChannelBuffers.h"

#include <algorithm>

ChannelBuffers::ChannelBuffers(int inputs, int outputs, int frames)
    : inputs_(static_cast<std::size_t>(std::max(inputs, 1)), std::vector<float>(static_cast<std::size_t>(frames))),
      outputs_(static_cast<std::size_t>(std::max(outputs, 1)), std::vector<float>(static_cast<std::size_t>(frames))),
      frames_(frames) {
    for (auto& channel : inputs_)
        inputPointers_.push_back(channel.data());
    for (auto& channel : outputs_)
        outputPointers_.push_back(channel.data());
}

void ChannelBuffers::fillNoise(std::uint32_t& seed, float amplitude) {
    for (auto& channel : inputs_)
        for (float& sample : channel) {
            seed = seed * 1664525u + 1013904223u;
            sample = amplitude * (static_cast<float>(seed >> 8) / 8388608.0f - 1.0f);
        }
}

void ChannelBuffers::fillSilence() {
    for (auto& channel : inputs_)
        std::fill(channel.begin(), channel.end(), 0.0f);
}
