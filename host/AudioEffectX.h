#pragma once
// Extended effect base: answers opcodes 25..79 and hands everything else to
// AudioEffect. Every default below is what a host gets from an effect that
// does not override the request.
#include "host/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback host, VstInt32 programCount, VstInt32 paramCount);

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }
    virtual bool string2parameter(VstInt32 /*index*/, char* /*text*/) { return false; }
    virtual bool getParameterProperties(VstInt32 /*index*/, void* /*properties*/) { return false; }
    // Bracket a user gesture on a parameter for the host.
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);

    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/) { return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual VstInt32 beginLoadBank(void* /*bank*/) { return 0; }
    virtual VstInt32 beginLoadProgram(void* /*program*/) { return 0; }

    virtual bool getInputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual bool getOutputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*input*/, VstSpeakerArrangement* /*output*/) {
        return false;
    }
    // Stores null through each given address: no arrangement is offered.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input, VstSpeakerArrangement** output);
    virtual bool setBypass(bool /*onOff*/) { return false; }
    virtual bool setPanLaw(VstInt32 /*type*/, float /*value*/) { return false; }
    virtual bool setProcessPrecision(VstInt32 /*precision*/) { return false; }
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }

    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }
    virtual VstInt32 startProcess() { return 0; }
    virtual VstInt32 stopProcess() { return 0; }
    virtual bool processVariableIo(void* /*variableIo*/) { return false; }
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }
    virtual VstInt32 getGetTailSize() { return 0; }

    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32 /*index*/, VstIntPtr /*value*/, void* /*ptr*/, float /*opt*/) {
        return 0;
    }
    // 1: can do, -1: cannot, 0: don't know.
    virtual VstInt32 canDo(char* /*text*/) { return 0; }
    virtual VstInt32 getVstVersion() { return 2400; }
    virtual VstPlugCategory getPlugCategory() { return kPlugCategUnknown; }

    virtual VstInt32 getMidiProgramName(VstInt32 /*channel*/, void* /*midiProgramName*/) { return 0; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32 /*channel*/, void* /*currentProgram*/) { return -1; }
    virtual VstInt32 getMidiProgramCategory(VstInt32 /*channel*/, void* /*category*/) { return 0; }
    virtual bool hasMidiProgramsChanged(VstInt32 /*channel*/) { return false; }
    virtual bool getMidiKeyName(VstInt32 /*channel*/, void* /*keyName*/) { return false; }
    virtual VstInt32 getNextShellPlugin(char* /*name*/) { return 0; }

    virtual bool offlineNotify(void* /*audioFiles*/, VstInt32 /*numAudioFiles*/, bool /*start*/) { return false; }
    virtual bool offlinePrepare(void* /*offline*/, VstInt32 /*count*/) { return false; }
    virtual bool offlineRun(void* /*offline*/, VstInt32 /*count*/) { return false; }

    // Asks the host to send MIDI through effProcessEvents.
    virtual void wantEvents(VstInt32 filter = 1);
    // Requests to the host about its window, used by an editor that resizes.
    virtual VstInt32 canHostDo(char* text);
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
};
