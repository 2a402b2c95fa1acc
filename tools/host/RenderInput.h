#pragma once
// The audio render reads: a file opened with libsndfile, or the built-in
// plucked-string phrase.
#include <cstdint>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

class RenderInput {
public:
    RenderInput() = default;
    ~RenderInput();
    RenderInput(const RenderInput&) = delete;
    RenderInput& operator=(const RenderInput&) = delete;

    bool openFile(const std::string& path, std::string& error);
    // Stereo copies of the demo phrase at 44.1 kHz.
    void openDemo();

    // Interleaved frames; returns how many were read (0 at the end).
    std::int64_t read(float* interleaved, std::int64_t frames);

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }
    std::int64_t frames() const { return frames_; }
    // The libsndfile sample format, for an output of the same kind.
    int subtype() const { return subtype_; }

private:
    SNDFILE* file_ = nullptr;
    std::vector<float> demo_;
    std::int64_t demoPosition_ = 0;
    int sampleRate_ = 0;
    int channels_ = 0;
    std::int64_t frames_ = 0;
    int subtype_ = 0;
};
