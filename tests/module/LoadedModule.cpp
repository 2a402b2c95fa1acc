#include "tests/module/LoadedModule.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#if defined(_WIN32)

LoadedModule::LoadedModule(const std::string& path) : handle(LoadLibraryA(path.c_str())) {}

LoadedModule::~LoadedModule() {
    if (handle != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle));
    }
}

VstEntry LoadedModule::entry(const char* name) const {
    if (handle == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<VstEntry>(reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name)));
}

#else

LoadedModule::LoadedModule(const std::string& path) : handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

LoadedModule::~LoadedModule() {
    if (handle != nullptr) {
        dlclose(handle);
    }
}

VstEntry LoadedModule::entry(const char* name) const {
    if (handle == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<VstEntry>(dlsym(handle, name));
}

#endif
