// A minimal mono effect for exercising the host tool: output = input x Gain.
// MIDI controller 20 sets Gain. Built five ways: sound, with a heap
// allocation in its audio callback, trusting its parameter range (it
// outputs NaN for a Gain outside 0..1), crashing on a parameter index it
// does not have, and with an editor (a plain child window on Windows); the
// validator must tell them apart.
#include "tests/host-tool/TestModuleExport.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#if defined(_WIN32) && defined(TEST_GAIN_EDITOR)
#include <windows.h>
#endif

namespace {

struct GainEffect {
    AEffect effect{};
    std::atomic<float> gain{1.0f};
    char programName[kVstMaxProgNameLen] = "Unity";
    ERect editorRect{0, 0, 120, 200};
    void* editorWindow = nullptr;
};

#if defined(TEST_GAIN_EDITOR)
VstIntPtr openEditor(GainEffect& gain, void* parent) {
#if defined(_WIN32)
    gain.editorWindow = CreateWindowExA(0, "STATIC", "Gain", WS_CHILD | WS_VISIBLE, 0, 0, 200, 120,
                                        static_cast<HWND>(parent), nullptr, GetModuleHandleA(nullptr), nullptr);
#else
    gain.editorWindow = parent;
#endif
    return gain.editorWindow != nullptr ? 1 : 0;
}

void closeEditor(GainEffect& gain) {
#if defined(_WIN32)
    if (gain.editorWindow != nullptr)
        DestroyWindow(static_cast<HWND>(gain.editorWindow));
#endif
    gain.editorWindow = nullptr;
}
#endif

GainEffect& self(AEffect* effect) {
    return *static_cast<GainEffect*>(effect->object);
}

void copyText(void* ptr, const char* text, std::size_t capacity) {
    char* out = static_cast<char*>(ptr);
    std::size_t i = 0;
    for (; i + 1 < capacity && text[i] != '\0'; ++i)
        out[i] = text[i];
    out[i] = '\0';
}

void handleEvents(GainEffect& gain, const VstEvents* events) {
    for (int i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (event == nullptr || event->type != kVstMidiType)
            continue;
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        if ((midi->midiData[0] & 0xF0) == 0xB0 && midi->midiData[1] == 20)
            gain.gain.store(static_cast<float>(midi->midiData[2] & 0x7F) / 127.0f, std::memory_order_relaxed);
    }
}

VstIntPtr VSTCALLBACK dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
    GainEffect& gain = self(effect);
    switch (opcode) {
        case effClose:
            delete &gain;
            return 1;
#if defined(TEST_GAIN_EDITOR)
        case effEditGetRect:
            *static_cast<ERect**>(ptr) = &gain.editorRect;
            return 1;
        case effEditOpen:
            return openEditor(gain, ptr);
        case effEditClose:
            closeEditor(gain);
            return 1;
        case effEditIdle:
            return gain.editorWindow != nullptr ? 1 : 0;
#endif
        case effGetParamName:
            copyText(ptr, index == 0 ? "Gain" : "", kVstMaxParamStrLen);
            return 0;
        case effGetParamLabel:
            copyText(ptr, "", kVstMaxParamStrLen);
            return 0;
        case effGetParamDisplay: {
            char text[32];
            std::snprintf(text, sizeof text, "%.3f", index == 0 ? static_cast<double>(gain.gain.load()) : 0.0);
            copyText(ptr, text, kVstMaxParamStrLen + 1);
            return 0;
        }
        case effSetProgramName:
            copyText(gain.programName, static_cast<const char*>(ptr), sizeof gain.programName);
            return 0;
        case effGetProgramName:
            copyText(ptr, gain.programName, kVstMaxProgNameLen);
            return 0;
        case effGetProgramNameIndexed:
            if (index != 0)
                return 0;
            copyText(ptr, gain.programName, kVstMaxProgNameLen);
            return 1;
        case effGetEffectName:
            copyText(ptr, "Test Gain", kVstMaxEffectNameLen);
            return 1;
        case effGetVendorString:
            copyText(ptr, "Ferrowind Audio", kVstMaxVendorStrLen);
            return 1;
        case effGetProductString:
            copyText(ptr, "Test Gain", kVstMaxProductStrLen);
            return 1;
        case effGetPlugCategory:
            return kPlugCategEffect;
        case effGetVstVersion:
            return 2400;
        case effProcessEvents:
            handleEvents(gain, static_cast<const VstEvents*>(ptr));
            return 1;
        case effCanDo:
            return ptr != nullptr && (std::strcmp(static_cast<const char*>(ptr), "receiveVstEvents") == 0 ||
                                      std::strcmp(static_cast<const char*>(ptr), "receiveVstMidiEvent") == 0)
                       ? 1
                       : -1;
        default:
            (void)value;
            return 0;
    }
}

void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    const float gain = self(effect).gain.load(std::memory_order_relaxed);
#if TEST_GAIN_FAULT == 1
    auto scratch = std::make_unique<float[]>(static_cast<std::size_t>(frames));
    for (VstInt32 i = 0; i < frames; ++i)
        scratch[i] = inputs[0][i] * gain;
    for (VstInt32 i = 0; i < frames; ++i)
        outputs[0][i] = scratch[i];
#elif TEST_GAIN_FAULT == 2
    const float scale = gain >= 0.0f && gain <= 1.0f ? gain : std::numeric_limits<float>::quiet_NaN();
    for (VstInt32 i = 0; i < frames; ++i)
        outputs[0][i] = inputs[0][i] * scale;
#else
    for (VstInt32 i = 0; i < frames; ++i)
        outputs[0][i] = inputs[0][i] * gain;
#endif
}

void VSTCALLBACK processNothing(AEffect*, float**, float**, VstInt32) {}

void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
#if TEST_GAIN_FAULT == 3
    if (index != 0)
        *static_cast<volatile int*>(nullptr) = index;
#endif
    if (index == 0)
        self(effect).gain.store(value, std::memory_order_relaxed);
}

float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
    return index == 0 ? self(effect).gain.load(std::memory_order_relaxed) : 0.0f;
}

}  // namespace

TEST_MODULE_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    auto* gain = new GainEffect;
    AEffect& e = gain->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatch;
    e.process = processNothing;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = 1;
    e.numParams = 1;
    e.numInputs = 1;
    e.numOutputs = 1;
    e.flags = effFlagsCanReplacing;
#if defined(TEST_GAIN_EDITOR)
    e.flags |= effFlagsHasEditor;
#endif
    e.ioRatio = 1.0f;
    e.object = gain;
    e.uniqueID = fourCharId('Q', 'h', 'G', 'n');
    e.version = 1;
    e.processReplacing = processReplacing;
    return &e;
}
