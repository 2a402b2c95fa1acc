#include "tools/host/RenderOutput.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The container libsndfile lists under this extension, or 0.
int majorFormatFor(const std::string& extension, std::string& name) {
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    const std::string wanted = extension == "ogg" || extension == "opus" ? "oga"
                               : extension == "aif"                      ? "aiff"
                                                                         : extension;
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
        if (info.extension != nullptr && wanted == info.extension) {
            name = info.name;
            return info.format;
        }
    }
    return 0;
}

std::string subtypeName(int subtype) {
    SF_FORMAT_INFO info{};
    info.format = subtype;
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info);
    return info.name != nullptr ? info.name : "?";
}

}  // namespace

RenderOutput::~RenderOutput() {
    discard();
}

bool RenderOutput::open(const std::string& path, int sampleRate, int channels, int preferredSubtype,
                        std::string& error) {
    const std::string extension = lowerExtension(path);
    std::string majorName;
    const int major = majorFormatFor(extension, majorName);
    if (major == 0) {
        error = "cannot write '" + path + "': no audio file format for the extension '" + extension + "'";
        return false;
    }
    const int preferences[] = {extension == "opus" ? SF_FORMAT_OPUS : preferredSubtype,
                               SF_FORMAT_PCM_24,
                               SF_FORMAT_PCM_16,
                               SF_FORMAT_FLOAT,
                               SF_FORMAT_VORBIS,
                               SF_FORMAT_OPUS};
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    for (int subtype : preferences) {
        info.format = major | subtype;
        if (sf_format_check(&info))
            break;
        info.format = 0;
    }
    if (info.format == 0) {
        error = "cannot write '" + path + "': the " + majorName + " format takes none of the usual sample formats at " +
                std::to_string(sampleRate) + " Hz with " + std::to_string(channels) + " channels";
        return false;
    }
    const std::filesystem::path target(path);
    temporaryPath_ = (target.parent_path() /
                      ("." + target.filename().string() + ".part-" + std::to_string(static_cast<long>(getpid()))))
                         .string();
    file_ = sf_open(temporaryPath_.c_str(), SFM_WRITE, &info);
    if (file_ == nullptr) {
        error = "cannot write '" + path + "': " + sf_strerror(nullptr);
        temporaryPath_.clear();
        return false;
    }
    // Float output beyond full scale clips instead of wrapping round in integer formats.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    path_ = path;
    description_ = majorName + " / " + subtypeName(info.format & SF_FORMAT_SUBMASK);
    return true;
}

bool RenderOutput::write(const float* interleaved, std::int64_t frames, std::string& error) {
    if (sf_writef_float(file_, interleaved, frames) != frames) {
        error = "cannot write '" + path_ + "': " + sf_strerror(file_);
        return false;
    }
    return true;
}

bool RenderOutput::commit(std::string& error) {
    const int closed = sf_close(file_);
    file_ = nullptr;
    std::error_code failure;
    if (closed == 0)
        std::filesystem::rename(temporaryPath_, path_, failure);
    if (closed != 0 || failure) {
        error = "cannot write '" + path_ + "': " + (closed != 0 ? sf_error_number(closed) : failure.message());
        discard();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void RenderOutput::discard() {
    if (file_ != nullptr)
        sf_close(file_);
    file_ = nullptr;
    if (!temporaryPath_.empty())
        std::remove(temporaryPath_.c_str());
    temporaryPath_.clear();
}
