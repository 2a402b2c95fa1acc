#pragma once
// Loads a plug-in module file and finds its entry point; the platform's
// dynamic loader sits behind this one class.
#include "host/AEffect.h"

#include <string>

using VstEntryProc = AEffect*(VSTCALLBACK*)(audioMasterCallback host);

class ModuleLoader {
public:
    ModuleLoader() = default;
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    // False with a one-line reason in error when the file is missing, is not a
    // loadable library, or exports neither VSTPluginMain nor main.
    bool load(const std::string& path, std::string& error);
    void unload();

    VstEntryProc entry() const { return entry_; }
    const std::string& path() const { return path_; }

private:
    void* handle_ = nullptr;
    VstEntryProc entry_ = nullptr;
    std::string path_;
};
