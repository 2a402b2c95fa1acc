#include "platform/ModulePath.h"

#include <windows.h>

#include "platform/ModuleHandle.h"

namespace {

HMODULE ownModule() {
    if (void* handle = quorlModuleHandle()) {
        return static_cast<HMODULE>(handle);
    }
    // Without the handle saved at load time, ask which module holds this code.
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&ownModule), &module)) {
        return nullptr;
    }
    return module;
}

}  // namespace

std::string modulePath() {
    HMODULE module = ownModule();
    if (module == nullptr) {
        return {};
    }
    // The call truncates silently to the buffer, so grow it until the path fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}
