#include "tools/host/RenderInput.h"

#include "tools/host/DemoSignal.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

RenderInput::~RenderInput() {
    if (file_ != nullptr)
        sf_close(file_);
}

bool RenderInput::openFile(const std::string& path, std::string& error) {
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (file_ == nullptr) {
        error = "cannot read audio file '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels <= 0 || info.samplerate <= 0) {
        error = "cannot read audio file '" + path + "': no channels or no sample rate";
        return false;
    }
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
    frames_ = info.frames;
    subtype_ = info.format & SF_FORMAT_SUBMASK;
    return true;
}

void RenderInput::openDemo() {
    constexpr int kDemoRate = 44100;
    const std::vector<float> mono = pluckedPhrase(kDemoRate);
    demo_.resize(mono.size() * 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        demo_[2 * i] = demo_[2 * i + 1] = mono[i];
    sampleRate_ = kDemoRate;
    channels_ = 2;
    frames_ = static_cast<std::int64_t>(mono.size());
    subtype_ = SF_FORMAT_PCM_24;
}

std::int64_t RenderInput::read(float* interleaved, std::int64_t frames) {
    if (file_ != nullptr)
        return sf_readf_float(file_, interleaved, frames);
    const std::int64_t count = std::min(frames, frames_ - demoPosition_);
    if (count <= 0)
        return 0;
    std::memcpy(interleaved, demo_.data() + demoPosition_ * channels_,
                static_cast<std::size_t>(count * channels_) * sizeof(float));
    demoPosition_ += count;
    return count;
}
