#pragma once
// A fresh folder under the system's temporary folder, removed with its contents.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class TempFolder {
public:
    TempFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = std::filesystem::temp_directory_path() /
               ("quorl-params-" + std::to_string(stamp) + "-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(root);
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::permissions(root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     error);
        std::filesystem::remove_all(root, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path(const std::string& relative) const { return (root / relative).string(); }

    static void writeBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // Empty for anything but a regular file.
    static std::string readBytes(const std::string& path) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            return {};
        }
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path root;
};
