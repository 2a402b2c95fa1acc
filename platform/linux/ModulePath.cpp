#include "platform/ModulePath.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

std::string modulePath() {
    // Any address inside this module names the module, whoever loaded it.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&modulePath), &info) == 0 || info.dli_fname == nullptr ||
        info.dli_fname[0] == '\0') {
        return {};
    }
    // A module loaded by a relative name would otherwise depend on the host's
    // current folder at the time of use. Links are kept as they are: the map
    // file belongs beside the name the module was installed under.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : absolute.string();
}
