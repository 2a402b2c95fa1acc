#include "params/MidiMapFile.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>

#include "params/MidiCcMap.h"
#include "params/MidiMapParser.h"
#include "params/ParameterIndex.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".dat";
constexpr const char* kUserFolder = "Quorl";
constexpr const char* kFallbackFileName = "Quorl.dat";

// Token for a temporary file name that no other instance or process picks.
std::string uniqueToken() {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t bits = 0;
    try {
        std::random_device device;
        bits = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (...) {
        // No entropy source: the clock and the counter below still separate writers.
    }
    bits ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    bits ^= counter.fetch_add(1, std::memory_order_relaxed) * 0x9E3779B97F4A7C15ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
    return text;
}

bool isRegularFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

void readFile(const std::string& path, const char* const* names, MidiCcMap& map) {
    // Only regular files: a FIFO would block the host, a device never ends.
    if (!isRegularFile(path)) {
        return;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return;
    }
    MidiMapParser parser(names, map);
    char buffer[4096];
    while (!parser.done()) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
        if (count == 0) {
            break;
        }
        parser.feed(buffer, count);
    }
    parser.finish();
    std::fclose(file);
}

bool writeTemporary(const std::string& path, const std::string& text) {
    // Text mode gives the platform's own line ends.
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

// Writes a sibling file and renames it over the target, so the target is
// always either the old or the new complete file.
bool replaceFile(const std::string& target, const std::string& text) {
    std::error_code error;
    fs::path destination = target;
    if (fs::is_symlink(fs::symlink_status(destination, error))) {
        // Keep the link; replace what it points to.
        fs::path resolved = fs::canonical(destination, error);
        if (error) {
            return false;
        }
        destination = resolved;
    }
    const fs::file_status status = fs::status(destination, error);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            return false;
        }
        // A file its owner made read-only is left alone, as the file itself
        // could not be opened for writing either.
        constexpr fs::perms kWritable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        if ((status.permissions() & kWritable) == fs::perms::none) {
            return false;
        }
    }
    const std::string temporary = destination.string() + "." + uniqueToken() + ".tmp";
    bool ok = writeTemporary(temporary, text);
    if (ok) {
        fs::rename(temporary, destination, error);
        ok = !error;
    }
    if (!ok) {
        fs::remove(temporary, error);
    }
    return ok;
}

}  // namespace

MidiMapFile::MidiMapFile(const std::string& modulePath, const std::string& userConfigDir)
    : primaryPath(pathForModule(modulePath)) {
    if (userConfigDir.empty()) {
        return;
    }
    const std::string fileName =
        primaryPath.empty() ? std::string(kFallbackFileName) : fs::path(primaryPath).filename().string();
    fallbackPath = (fs::path(userConfigDir) / kUserFolder / fileName).string();
}

std::string MidiMapFile::pathForModule(const std::string& modulePath) {
    if (modulePath.empty()) {
        return {};
    }
    const std::size_t nameStart = modulePath.find_last_of("/\\") + 1;  // 0 when there is no folder
    const std::size_t dot = modulePath.find_last_of('.');
    // A dot in a folder name or leading a hidden file's name starts no extension.
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return (hasExtension ? modulePath.substr(0, dot) : modulePath) + kExtension;
}

std::string MidiMapFile::format(const char* const* names, const MidiCcMap& map) {
    std::string text;
    for (std::int32_t k = 0; k < kNumParams; ++k) {
        text += names && names[k] ? names[k] : "";
        text += '=';
        text += std::to_string(map.binding(k));
        text += '\n';
    }
    return text;
}

void MidiMapFile::read(const char* const* names, MidiCcMap& map) const {
    readFile(isRegularFile(fallbackPath) ? fallbackPath : primaryPath, names, map);
}

bool MidiMapFile::write(const char* const* names, const MidiCcMap& map) const {
    const std::string text = format(names, map);
    std::error_code error;
    if (!primaryPath.empty() && replaceFile(primaryPath, text)) {
        // An older per-user copy would shadow the file just written at the next read.
        if (isRegularFile(fallbackPath)) {
            fs::remove(fallbackPath, error);
        }
        return true;
    }
    if (fallbackPath.empty()) {
        return false;
    }
    fs::create_directories(fs::path(fallbackPath).parent_path(), error);
    return replaceFile(fallbackPath, text);
}
