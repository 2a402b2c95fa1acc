// The module's exported entry points. Only these two names leave the module:
// Quorl.def lists them on Windows, Quorl.map on Linux.
#include "host/AudioEffect.h"

#if defined(_WIN32)
#define QUORL_ENTRY
#else
#define QUORL_ENTRY __attribute__((visibility("default")))
#endif

extern "C" {

QUORL_ENTRY AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
    // Without a callback the version request cannot even be asked.
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    AudioEffect* effect = createEffectInstance(audioMaster);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}

#if !defined(_WIN32)
// Older hosts look the entry up as "main": the same function under a second name.
QUORL_ENTRY AEffect* mainEntryAlias(audioMasterCallback audioMaster) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif

}  // extern "C"
