#pragma once
// The file render writes. Everything goes to a temporary file beside the
// target, which takes the target's name only when commit succeeds; a failed
// or interrupted render leaves no half-written output behind.
#include <cstdint>
#include <string>

typedef struct sf_private_tag SNDFILE;

class RenderOutput {
public:
    RenderOutput() = default;
    ~RenderOutput();
    RenderOutput(const RenderOutput&) = delete;
    RenderOutput& operator=(const RenderOutput&) = delete;

    // The container comes from the path's extension; the sample format is
    // the preferred one if the container takes it, else the closest it does.
    bool open(const std::string& path, int sampleRate, int channels, int preferredSubtype, std::string& error);
    bool write(const float* interleaved, std::int64_t frames, std::string& error);
    bool commit(std::string& error);
    // The name of the format chosen, e.g. "WAV (Microsoft) / Signed 24 bit PCM".
    const std::string& description() const { return description_; }

private:
    void discard();

    SNDFILE* file_ = nullptr;
    std::string path_;
    std::string temporaryPath_;
    std::string description_;
};
