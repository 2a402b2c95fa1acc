#include "host/AudioEffectX.h"

#include <cstdint>

#include "host/AEffEditor.h"

namespace {

// The key requests carry the key code spread over three arguments.
VstKeyCode keyCodeFrom(VstInt32 index, VstIntPtr value, float opt) {
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    // Modifiers come as a float; a value no integer can hold counts as none.
    const bool representable = opt > -2147483648.0f && opt < 2147483648.0f;
    key.modifier = representable ? static_cast<unsigned char>(static_cast<VstInt32>(opt) & 0xFF) : 0;
    return key;
}

}  // namespace

AudioEffectX::AudioEffectX(audioMasterCallback host, VstInt32 programCount, VstInt32 paramCount)
    : AudioEffect(host, programCount, paramCount) {}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    // Negative opcodes and those from 80 up fail this test and go to the base.
    if (static_cast<std::uint32_t>(opcode) - std::uint32_t{effProcessEvents} >
        std::uint32_t{effGetNumMidiOutputChannels - effProcessEvents}) {
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
    char* const text = static_cast<char*>(ptr);
    switch (opcode) {
        case effProcessEvents:
            return processEvents(static_cast<VstEvents*>(ptr));
        case effCanBeAutomated:
            return canParameterBeAutomated(index) ? 1 : 0;
        case effString2Parameter:
            return string2parameter(index, text) ? 1 : 0;
        case effGetProgramNameIndexed:
            return getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
        case effGetInputProperties:
            return getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetOutputProperties:
            return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
        case effGetPlugCategory:
            return getPlugCategory();
        case effOfflineNotify:
            return offlineNotify(ptr, static_cast<VstInt32>(value), index != 0) ? 1 : 0;
        case effOfflinePrepare:
            return offlinePrepare(ptr, static_cast<VstInt32>(value)) ? 1 : 0;
        case effOfflineRun:
            return offlineRun(ptr, static_cast<VstInt32>(value)) ? 1 : 0;
        case effProcessVarIo:
            return processVariableIo(ptr) ? 1 : 0;
        case effSetSpeakerArrangement:
            return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                         static_cast<VstSpeakerArrangement*>(ptr))
                       ? 1
                       : 0;
        case effSetBypass:
            return setBypass(value != 0) ? 1 : 0;
        case effGetEffectName:
            return getEffectName(text) ? 1 : 0;
        case effGetVendorString:
            return getVendorString(text) ? 1 : 0;
        case effGetProductString:
            return getProductString(text) ? 1 : 0;
        case effGetVendorVersion:
            return getVendorVersion();
        case effVendorSpecific:
            return vendorSpecific(index, value, ptr, opt);
        case effCanDo:
            return canDo(text);
        case effGetTailSize:
            return getGetTailSize();
        case effGetParameterProperties:
            return getParameterProperties(index, ptr) ? 1 : 0;
        case effGetVstVersion:
            return getVstVersion();
        case effEditKeyDown:
            if (editor != nullptr) {
                VstKeyCode key = keyCodeFrom(index, value, opt);
                return editor->onKeyDown(key) ? 1 : 0;
            }
            return 0;
        case effEditKeyUp:
            if (editor != nullptr) {
                VstKeyCode key = keyCodeFrom(index, value, opt);
                return editor->onKeyUp(key) ? 1 : 0;
            }
            return 0;
        case effSetEditKnobMode:
            return editor != nullptr && editor->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;
        case effGetMidiProgramName:
            return getMidiProgramName(index, ptr);
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index, ptr);
        case effGetMidiProgramCategory:
            return getMidiProgramCategory(index, ptr);
        case effHasMidiProgramsChanged:
            return hasMidiProgramsChanged(index) ? 1 : 0;
        case effGetMidiKeyName:
            return getMidiKeyName(index, ptr) ? 1 : 0;
        case effBeginSetProgram:
            return beginSetProgram() ? 1 : 0;
        case effEndSetProgram:
            return endSetProgram() ? 1 : 0;
        case effGetSpeakerArrangement:
            return getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                         static_cast<VstSpeakerArrangement**>(ptr))
                       ? 1
                       : 0;
        case effShellGetNextPlugin:
            return getNextShellPlugin(text);
        case effStartProcess:
            return startProcess();
        case effStopProcess:
            return stopProcess();
        case effSetTotalSampleToProcess:
            return setTotalSampleToProcess(static_cast<VstInt32>(value));
        case effSetPanLaw:
            return setPanLaw(static_cast<VstInt32>(value), opt) ? 1 : 0;
        case effBeginLoadBank:
            return beginLoadBank(ptr);
        case effBeginLoadProgram:
            return beginLoadProgram(ptr);
        case effSetProcessPrecision:
            return setProcessPrecision(static_cast<VstInt32>(value)) ? 1 : 0;
        case effGetNumMidiInputChannels:
            return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels:
            return getNumMidiOutputChannels();
        default:
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);  // deprecated requests
    }
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output) {
    if (input != nullptr) {
        *input = nullptr;
    }
    if (output != nullptr) {
        *output = nullptr;
    }
    return false;
}

bool AudioEffectX::beginEdit(VstInt32 index) {
    return callHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index) {
    return callHost(audioMasterEndEdit, index) != 0;
}

void AudioEffectX::wantEvents(VstInt32 filter) {
    callHost(audioMasterWantMidi, 0, filter);
}

VstInt32 AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}
