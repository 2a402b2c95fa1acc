#pragma once
// Base of every effect object: owns the effect record the host drives, turns
// the record's entries and opcodes 0..24 into virtual calls, and answers every
// request a derived effect does not override with a fixed default.
#include "host/AEffect.h"

#include <atomic>

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback host, VstInt32 programCount, VstInt32 paramCount);
    // Destroys an editor still attached.
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float newSampleRate) { sampleRate = newSampleRate; }
    virtual void setBlockSize(VstInt32 newBlockSize) { blockSize = newBlockSize; }

    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, VstInt32 /*sampleFrames*/) {}

    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    virtual float getParameter(VstInt32 /*index*/) { return 0.0f; }
    // Sets the value and reports it to the host as an automation change.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram() { return curProgram.load(std::memory_order_relaxed); }
    virtual void setProgram(VstInt32 program) { curProgram.store(program, std::memory_order_relaxed); }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);

    // No chunks: programs travel as parameter values.
    virtual VstInt32 getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual VstInt32 setChunk(void* /*data*/, VstInt32 /*byteSize*/, bool /*isPreset*/) { return 0; }

    virtual AEffect* getAeffect() { return &cEffect; }
    // Attaches (or with null detaches) the editor and keeps the record's flag in step.
    virtual void setEditor(AEffEditor* newEditor);
    AEffEditor* getEditor() const { return editor; }

    // Requests to the host; with no host callback nothing is sent and 0 comes back.
    virtual VstInt32 getMasterVersion();
    virtual void masterIdle();

    // Deprecated accumulating entry; leaves the outputs untouched.
    virtual void process(float** /*inputs*/, float** /*outputs*/, VstInt32 /*sampleFrames*/) {}

protected:
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);

    audioMasterCallback audioMaster;
    AEffEditor* editor;
    float sampleRate;
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    // Read by parameter calls on any host thread.
    std::atomic<VstInt32> curProgram;
    AEffect cEffect;
};

// Made by the plug-in: a new effect object for the host callback, or null if
// it cannot be allocated.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
