#include "host/CPlugin.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <new>
#include <utility>

#include "host/AEffEditor.h"
#include "params/ParameterInfo.h"
#include "platform/ModulePath.h"
#include "platform/UserConfigDir.h"

namespace {

constexpr char kEffectName[] = "Quorl";
constexpr char kVendorName[] = "Ferrowind Audio";
constexpr char kProgramName[] = "Spring Reverb Quorl";
// The host may ask for two pins although the record declares one of each.
constexpr VstInt32 kNumPinsAnswered = 2;

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new (std::nothrow) CPlugin(audioMaster);
}

CPlugin::CPlugin(audioMasterCallback host) : CPlugin(host, MidiMapFile(modulePath(), userConfigDir())) {}

CPlugin::CPlugin(audioMasterCallback host, MidiMapFile mapFile)
    : AudioEffectX(host, kNumPrograms, kNumParams), midiMapFile(std::move(mapFile)) {
    // The tank's random spread is drawn from the process-wide generator.
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    cEffect.flags |= effFlagsCanReplacing | effFlagsNoSoundInStop;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 1;
    cEffect.uniqueID = fourCharId('Q', 'v', 'r', 'z');

    PluginProgram& program = programs[0];
    copyHostText(program.name, kProgramName, sizeof(program.name));
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        program.values[i].store(kParameterInfo[i].defaultValue, std::memory_order_relaxed);
    }
    curProgram.store(0, std::memory_order_relaxed);

    // The controller map starts from the table defaults; the file overrides them.
    ParameterNames names;
    collectParameterNames(names);
    midiMapFile.read(names.list, midiCcMap);

    // Editor: created here and attached through setEditor.

    resume();
}

CPlugin::~CPlugin() {
    // First, while getParameterName still answers for this object.
    ParameterNames names;
    collectParameterNames(names);
    midiMapFile.write(names.list, midiCcMap);

    delete editor;
    setEditor(nullptr);
    engine.releaseBuffers();
}

void CPlugin::suspend() {}

void CPlugin::resume() {
    if ((cEffect.flags & effFlagsIsSynth) != 0 || canDo(const_cast<char*>("receiveVstMidiEvent")) == 1) {
        wantEvents(1);
    }
    // A failed allocation leaves the engine passing the input through dry.
    engine.resume(sampleRate);
    engineReady.store(1, std::memory_order_relaxed);
    setProgram(0);
}

void CPlugin::setSampleRate(float newSampleRate) {
    // A rate no tank can be built for would only be refused at the next resume.
    if (std::isfinite(newSampleRate) && newSampleRate > 0.0f) {
        sampleRate = newSampleRate;
    }
}

void CPlugin::setBlockSize(VstInt32 newBlockSize) {
    blockSize = newBlockSize;
}

void CPlugin::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (inputs == nullptr || outputs == nullptr || inputs[0] == nullptr || outputs[0] == nullptr) {
        return;
    }
    engine.process(inputs[0], outputs[0], sampleFrames);
}

void CPlugin::setParameter(VstInt32 index, float value) {
    if (!isEngineReady() || !isParameterIndex(index)) {
        return;
    }
    currentProgram().values[index].store(value, std::memory_order_relaxed);
    engine.setParameter(index, value);
    // Editor: told the new value here so that its control follows.
}

float CPlugin::getParameter(VstInt32 index) {
    return isParameterIndex(index) ? currentProgram().values[index].load(std::memory_order_relaxed) : 0.0f;
}

VstInt32 CPlugin::getProgram() {
    return curProgram.load(std::memory_order_relaxed);
}

void CPlugin::setProgram(VstInt32 program) {
    if (!isEngineReady() || static_cast<std::uint32_t>(program) >= static_cast<std::uint32_t>(kNumPrograms)) {
        return;
    }
    curProgram.store(program, std::memory_order_relaxed);
    const PluginProgram& selected = programs[static_cast<std::size_t>(program)];
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        setParameter(i, selected.values[i].load(std::memory_order_relaxed));
    }
}

void CPlugin::setProgramName(char* name) {
    if (name != nullptr) {
        copyHostText(currentProgram().name, name, sizeof(currentProgram().name));
    }
}

void CPlugin::getProgramName(char* name) {
    if (name == nullptr) {
        return;
    }
    const PluginProgram& program = currentProgram();
    // A host that names programs "Init" shows them numbered.
    if (std::strcmp(program.name, "Init") == 0) {
        if (std::snprintf(name, kProgramNameCapacity, "%s %d", program.name, static_cast<int>(getProgram()) + 1) < 0) {
            name[0] = '\0';
        }
    } else {
        copyHostText(name, program.name, kProgramNameCapacity);
    }
}

void CPlugin::getParameterLabel(VstInt32 index, char* label) {
    copyHostText(label, isParameterIndex(index) ? kParameterInfo[index].label : "", kParameterTextCapacity);
}

void CPlugin::getParameterDisplay(VstInt32 index, char* text) {
    if (!isParameterIndex(index)) {
        copyHostText(text, "", kParameterTextCapacity);
        return;
    }
    formatParameterValue(text, getParameter(index));
}

void CPlugin::getParameterName(VstInt32 index, char* text) {
    copyHostText(text, isParameterIndex(index) ? kParameterInfo[index].name : "", kParameterNameCapacity);
}

bool CPlugin::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (text == nullptr || static_cast<std::uint32_t>(index) >= static_cast<std::uint32_t>(kNumPrograms)) {
        return false;
    }
    copyHostText(text, programs[static_cast<std::size_t>(index)].name, kProgramNameCapacity);
    return true;
}

bool CPlugin::getInputProperties(VstInt32 index, VstPinProperties* properties) {
    return getPinProperties(index, properties);
}

bool CPlugin::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    return getPinProperties(index, properties);
}

bool CPlugin::getPinProperties(VstInt32 index, VstPinProperties* properties) {
    if (index >= kNumPinsAnswered || properties == nullptr) {
        return false;
    }
    copyHostText(properties->label, kEffectName, kPinLabelCapacity);
    copyHostText(properties->shortLabel, kEffectName, kPinShortLabelCapacity);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

VstInt32 CPlugin::processEvents(VstEvents* events) {
    midiCcMap.processEvents(events, &CPlugin::applyControllerValue, this);
    return 1;
}

void CPlugin::applyControllerValue(void* self, std::int32_t index, float value) {
    static_cast<CPlugin*>(self)->setParameter(index, value);
}

void CPlugin::collectParameterNames(ParameterNames& names) {
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        getParameterName(i, names.text[i]);
        names.list[i] = names.text[i];
    }
}

bool CPlugin::getEffectName(char* name) {
    copyHostText(name, kEffectName, kEffectNameCapacity);
    return name != nullptr;
}

bool CPlugin::getVendorString(char* text) {
    copyHostText(text, kVendorName, kVendorTextCapacity);
    return text != nullptr;
}

bool CPlugin::getProductString(char* text) {
    copyHostText(text, kEffectName, kVendorTextCapacity);
    return text != nullptr;
}

VstInt32 CPlugin::canDo(char* text) {
    if (text == nullptr) {
        return -1;
    }
    for (const char* supported : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"}) {
        if (std::strcmp(text, supported) == 0) {
            return 1;
        }
    }
    return -1;
}

PluginProgram& CPlugin::currentProgram() {
    // curProgram only ever holds an accepted index; the bound keeps it so.
    const auto index = static_cast<std::uint32_t>(curProgram.load(std::memory_order_relaxed));
    return programs[index < static_cast<std::uint32_t>(kNumPrograms) ? index : 0];
}
