#pragma once
// A plug-in module loaded the way a host loads it (dlopen / LoadLibrary).
#include <string>

#include "host/AEffect.h"

using VstEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback);

class LoadedModule {
public:
    explicit LoadedModule(const std::string& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const { return handle != nullptr; }
    // Null when the module does not export the name.
    VstEntry entry(const char* name) const;

private:
    void* handle;
};
