// A module whose entry point always refuses to create an effect.
#include "tests/host-tool/TestModuleExport.h"

TEST_MODULE_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback) {
    return nullptr;
}
