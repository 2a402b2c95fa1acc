#include "platform/UserConfigDir.h"

#include <windows.h>

std::string userConfigDir() {
    // The roaming application-data folder, in the same 8-bit code page as the
    // module path so that both open with the same file functions.
    std::string folder(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableA("APPDATA", folder.data(), static_cast<DWORD>(folder.size()));
        if (length == 0) {
            return {};
        }
        if (length < folder.size()) {
            folder.resize(length);
            return folder;
        }
        folder.resize(length);  // too small: length is the size needed, terminator included
    }
}
