#include "tools/host/HostCallback.h"

#include <cstring>

namespace {

constexpr VstIntPtr kHostVstVersion = 2400;
constexpr VstIntPtr kHostVendorVersion = 1000;
constexpr VstIntPtr kAutomationOff = 1;
constexpr VstIntPtr kLanguageEnglish = 1;

// Modules ask the host for these before any instance is attached (during the
// entry call), so there is always a fallback context.
HostContext& fallbackContext() {
    static HostContext context;
    return context;
}

HostContext& contextOf(AEffect* effect) {
    if (effect != nullptr && effect->resvd1 != 0)
        return *reinterpret_cast<HostContext*>(effect->resvd1);
    return fallbackContext();
}

void copyText(void* ptr, const char* text, std::size_t capacity) {
    if (ptr == nullptr)
        return;
    std::strncpy(static_cast<char*>(ptr), text, capacity - 1);
    static_cast<char*>(ptr)[capacity - 1] = '\0';
}

VstIntPtr hostCanDo(const char* what) {
    if (what == nullptr)
        return 0;
    for (const char* yes : {"sendVstEvents", "sendVstMidiEvent", "startStopProcess", "supplyIdle"})
        if (std::strcmp(what, yes) == 0)
            return 1;
    return 0;
}

}  // namespace

void attachHostContext(AEffect* effect, HostContext* context) {
    if (effect != nullptr)
        effect->resvd1 = reinterpret_cast<VstIntPtr>(context);
}

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    (void)index;
    (void)value;
    (void)opt;
    HostContext& context = contextOf(effect);
    switch (opcode) {
        case audioMasterVersion:
            return kHostVstVersion;
        case audioMasterAutomate:
            context.automations.fetch_add(1, std::memory_order_relaxed);
            return 0;
        case audioMasterCurrentId:
            return effect != nullptr ? effect->uniqueID : 0;
        case audioMasterWantMidi:
            context.wantMidi.store(1, std::memory_order_relaxed);
            return 1;
        case audioMasterGetSampleRate:
            return static_cast<VstIntPtr>(context.sampleRate.load(std::memory_order_relaxed));
        case audioMasterGetBlockSize:
            return context.blockSize.load(std::memory_order_relaxed);
        case audioMasterGetAutomationState:
            return kAutomationOff;
        case audioMasterGetVendorString:
            copyText(ptr, "Ferrowind Audio", kVstMaxVendorStrLen);
            return 1;
        case audioMasterGetProductString:
            copyText(ptr, "quorl-host", kVstMaxProductStrLen);
            return 1;
        case audioMasterGetVendorVersion:
            return kHostVendorVersion;
        case audioMasterCanDo:
            return hostCanDo(static_cast<const char*>(ptr));
        case audioMasterGetLanguage:
            return kLanguageEnglish;
        case audioMasterBeginEdit:
            context.beginEdits.fetch_add(1, std::memory_order_relaxed);
            return 1;
        case audioMasterEndEdit:
            context.endEdits.fetch_add(1, std::memory_order_relaxed);
            return 1;
        case audioMasterIdle:
        case audioMasterUpdateDisplay:
            return 1;
        default:
            // Time info, window sizing, latency and the rest: "not supported".
            return 0;
    }
}
