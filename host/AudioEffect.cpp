#include "host/AudioEffect.h"

#include <cstring>

#include "host/AEffEditor.h"
#include "host/HostText.h"

namespace {

// The record's entries are plain C functions: each finds its object through
// the record and forwards.
AudioEffect* effectOf(AEffect* effect) {
    return static_cast<AudioEffect*>(effect->object);
}

VstIntPtr VSTCALLBACK dispatchEffectClass(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt) {
    AudioEffect* object = effectOf(effect);
    if (opcode == effClose) {
        object->dispatcher(opcode, index, value, ptr, opt);
        delete object;
        return 1;
    }
    return object->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK processClass(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
    effectOf(effect)->process(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processClassReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
    effectOf(effect)->processReplacing(inputs, outputs, sampleFrames);
}

void VSTCALLBACK processClassDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                             VstInt32 sampleFrames) {
    effectOf(effect)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

// Plain set: a value the host sets is not reported back to it.
void VSTCALLBACK setParameterClass(AEffect* effect, VstInt32 index, float value) {
    effectOf(effect)->setParameter(index, value);
}

float VSTCALLBACK getParameterClass(AEffect* effect, VstInt32 index) {
    return effectOf(effect)->getParameter(index);
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 programCount, VstInt32 paramCount)
    : audioMaster(host),
      editor(nullptr),
      sampleRate(44100.0f),
      blockSize(1024),
      numPrograms(programCount),
      numParams(paramCount),
      curProgram(0) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = programCount;
    cEffect.numParams = paramCount;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharId('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() {
    delete editor;
    editor = nullptr;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* const text = static_cast<char*>(ptr);
    VstIntPtr result = 0;
    switch (opcode) {
        case effOpen:
            open();
            break;
        case effClose:
            close();
            break;
        case effSetProgram:
            if (value < numPrograms) {
                setProgram(static_cast<VstInt32>(value));
            }
            break;
        case effGetProgram:
            result = getProgram();
            break;
        case effSetProgramName:
            setProgramName(text);
            break;
        case effGetProgramName:
            getProgramName(text);
            break;
        case effGetParamLabel:
            getParameterLabel(index, text);
            break;
        case effGetParamDisplay:
            getParameterDisplay(index, text);
            break;
        case effGetParamName:
            getParameterName(index, text);
            break;
        case effSetSampleRate:
            setSampleRate(opt);
            break;
        case effSetBlockSize:
            setBlockSize(static_cast<VstInt32>(value));
            break;
        case effMainsChanged:
            if (value == 0) {
                suspend();
            } else {
                resume();
            }
            break;
        case effEditGetRect:
            if (editor != nullptr && ptr != nullptr) {
                result = editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
            }
            break;
        case effEditOpen:
            if (editor != nullptr) {
                result = editor->open(ptr) ? 1 : 0;
            }
            break;
        case effEditClose:
            if (editor != nullptr) {
                editor->close();
            }
            break;
        case effEditIdle:
            if (editor != nullptr) {
                editor->idle();
            }
            break;
        case effIdentify:
            result = fourCharId('N', 'v', 'E', 'f');
            break;
        case effGetChunk:
            result = getChunk(static_cast<void**>(ptr), index != 0);
            break;
        case effSetChunk:
            result = setChunk(ptr, static_cast<VstInt32>(value), index != 0);
            break;
        default:
            break;  // effGetVu, the editor draw/mouse/key/top/sleep requests and anything unknown
    }
    return result;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getProgramName(char* name) {
    copyHostText(name, "", kProgramNameCapacity);
}

void AudioEffect::getParameterLabel(VstInt32, char* label) {
    copyHostText(label, "", kParameterTextCapacity);
}

void AudioEffect::getParameterDisplay(VstInt32, char* text) {
    copyHostText(text, "", kParameterTextCapacity);
}

void AudioEffect::getParameterName(VstInt32, char* text) {
    copyHostText(text, "", kParameterNameCapacity);
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor = newEditor;
    if (editor != nullptr) {
        cEffect.flags |= effFlagsHasEditor;
    } else {
        cEffect.flags &= ~effFlagsHasEditor;
    }
}

VstInt32 AudioEffect::getMasterVersion() {
    return static_cast<VstInt32>(callHost(audioMasterVersion));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return audioMaster != nullptr ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}
