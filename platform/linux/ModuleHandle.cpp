#include "platform/ModuleHandle.h"

// Shared objects are found by address (dladdr), not by a loader handle.
void* quorlModuleHandle() {
    return nullptr;
}
