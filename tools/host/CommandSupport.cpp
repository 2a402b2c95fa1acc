#include "tools/host/CommandSupport.h"

#include <cstdio>

int reportError(const std::string& message) {
    std::fprintf(stderr, "quorl-host: %s\n", message.c_str());
    return 1;
}

std::unique_ptr<PluginInstance> loadAndCreate(ModuleLoader& loader, const std::string& path) {
    std::string error;
    if (!loader.load(path, error)) {
        reportError(error);
        return nullptr;
    }
    auto instance = PluginInstance::create(loader, error);
    if (instance == nullptr)
        reportError(error);
    return instance;
}

std::string fourCharText(int code) {
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<unsigned>(code) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text + "'";
}
