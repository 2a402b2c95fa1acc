#include "platform/UserConfigDir.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace {

std::string homeFolder() {
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
        result->pw_dir != nullptr && result->pw_dir[0] == '/') {
        return result->pw_dir;
    }
    return {};
}

}  // namespace

std::string userConfigDir() {
    // Relative values are invalid by the XDG base directory rules and are ignored.
    const char* configHome = getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        return configHome;
    }
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.config";
}
