#include "tools/host/ModuleLoader.h"

#include <dlfcn.h>
#include <sys/stat.h>

ModuleLoader::~ModuleLoader() {
    unload();
}

bool ModuleLoader::load(const std::string& path, std::string& error) {
    unload();
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        error = "cannot open module '" + path + "': no such file";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot open module '" + path + "': not a regular file";
        return false;
    }
    // A bare name would make dlopen search the library path instead of this file.
    const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error = "cannot load module '" + path + "': " + (reason != nullptr ? reason : "not a shared library");
        return false;
    }
    void* symbol = dlsym(handle_, "VSTPluginMain");
    if (symbol == nullptr)
        symbol = dlsym(handle_, "main");
    if (symbol == nullptr) {
        error = "'" + path + "' is not a VST 2 plug-in: it exports neither VSTPluginMain nor main";
        unload();
        return false;
    }
    entry_ = reinterpret_cast<VstEntryProc>(symbol);
    path_ = path;
    return true;
}

void ModuleLoader::unload() {
    if (handle_ != nullptr)
        dlclose(handle_);
    handle_ = nullptr;
    entry_ = nullptr;
    path_.clear();
}
