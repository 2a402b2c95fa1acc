#include "tools/host/ModuleLoader.h"

#include <windows.h>

namespace {

std::string lastErrorText() {
    char buffer[512] = {};
    const DWORD code = GetLastError();
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace

ModuleLoader::~ModuleLoader() {
    unload();
}

bool ModuleLoader::load(const std::string& path, std::string& error) {
    unload();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = "cannot open module '" + path + "': no such file";
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = "cannot open module '" + path + "': not a regular file";
        return false;
    }
    // No "cannot load" message boxes: a validator runs unattended.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetErrorMode(previousMode);
    if (module == nullptr) {
        error = "cannot load module '" + path + "': " + lastErrorText();
        return false;
    }
    handle_ = module;
    FARPROC symbol = GetProcAddress(module, "VSTPluginMain");
    if (symbol == nullptr)
        symbol = GetProcAddress(module, "main");
    if (symbol == nullptr) {
        error = "'" + path + "' is not a VST 2 plug-in: it exports neither VSTPluginMain nor main";
        unload();
        return false;
    }
    entry_ = reinterpret_cast<VstEntryProc>(reinterpret_cast<void*>(symbol));
    path_ = path;
    return true;
}

void ModuleLoader::unload() {
    if (handle_ != nullptr)
        FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
    entry_ = nullptr;
    path_.clear();
}
