#pragma once
// The Quorl spring reverb as the host sees it: identity, parameters, the
// single program and the lifecycle around the spring engine.
#include <array>
#include <atomic>
#include <cstdint>

#include "engine/SpringEngine.h"
#include "host/AudioEffectX.h"
#include "host/PluginProgram.h"

class CPlugin : public AudioEffectX {
public:
    static constexpr VstInt32 kNumPrograms = 1;

    explicit CPlugin(audioMasterCallback host);
    ~CPlugin() override;

    void suspend() override;
    void resume() override;
    void setSampleRate(float newSampleRate) override;
    void setBlockSize(VstInt32 newBlockSize) override;

    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    VstInt32 getProgram() override;
    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    VstInt32 getNumMidiInputChannels() override { return 1; }
    VstInt32 getNumMidiOutputChannels() override { return 0; }

    VstInt32 processEvents(VstEvents* events) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1010; }
    VstInt32 canDo(char* text) override;
    VstPlugCategory getPlugCategory() override { return kPlugCategEffect; }

    bool isEngineReady() const { return engineReady.load(std::memory_order_relaxed) != 0; }

private:
    bool getPinProperties(VstInt32 index, VstPinProperties* properties);
    PluginProgram& currentProgram();

    // Gates parameter and program changes until the first resume has built
    // the engine; a 32-bit word because the audio and MIDI threads read it.
    std::atomic<std::int32_t> engineReady{0};
    SpringEngine engine;
    std::array<PluginProgram, kNumPrograms> programs;
};
