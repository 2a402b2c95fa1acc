#include "platform/ModuleHandle.h"

#include <windows.h>

#include <atomic>

namespace {

// Written by the loader thread, read later from the host's threads.
std::atomic<HINSTANCE> moduleInstance{nullptr};

}  // namespace

// The loader calls this for every attach and detach; the handle is the same
// each time, so storing it on every call is harmless and needs no state.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
    moduleInstance.store(instance, std::memory_order_relaxed);
    return TRUE;
}

void* quorlModuleHandle() {
    return moduleInstance.load(std::memory_order_relaxed);
}
