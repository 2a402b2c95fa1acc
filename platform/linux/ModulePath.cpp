#include "platform/ModulePath.h"

#include <dlfcn.h>
#include <stdlib.h>

std::string modulePath() {
    // Any address inside this module names the module, whoever loaded it.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&modulePath), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    // A module loaded by a relative name would otherwise depend on the host's
    // current folder at the time of use.
    if (char* resolved = realpath(info.dli_fname, nullptr)) {
        std::string path(resolved);
        free(resolved);
        return path;
    }
    return info.dli_fname;
}
