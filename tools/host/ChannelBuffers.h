#pragma once
// Input and output channels for one module, with the pointer arrays
// processReplacing takes. Never fewer than one channel each way, so the
// arrays are valid even for a module that reports none.
#include <cstdint>
#include <vector>

class ChannelBuffers {
public:
    ChannelBuffers(int inputs, int outputs, int frames);

    // Uniform noise in -amplitude..amplitude from a small deterministic generator.
    void fillNoise(std::uint32_t& seed, float amplitude);
    void fillSilence();
    float** inputs() { return inputPointers_.data(); }
    float** outputs() { return outputPointers_.data(); }
    const std::vector<float>& output(int channel) const { return outputs_[static_cast<std::size_t>(channel)]; }
    int outputCount() const { return static_cast<int>(outputs_.size()); }
    int frames() const { return frames_; }

private:
    std::vector<std::vector<float>> inputs_;
    std::vector<std::vector<float>> outputs_;
    std::vector<float*> inputPointers_;
    std::vector<float*> outputPointers_;
    int frames_;
};
