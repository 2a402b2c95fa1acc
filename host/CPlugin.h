#pragma once
// The Quorl spring reverb as the host sees it: identity, parameters, the
// single program and the lifecycle around the spring engine.
#include <array>
#include <atomic>
#include <cstdint>

#include "engine/SpringEngine.h"
#include "host/AudioEffectX.h"
#include "host/HostText.h"
#include "host/PluginProgram.h"
#include "params/MidiCcMap.h"
#include "params/MidiMapFile.h"

class CPlugin : public AudioEffectX {
public:
    static constexpr VstInt32 kNumPrograms = 1;

    // Keeps its controller bindings in the map file beside the module.
    explicit CPlugin(audioMasterCallback host);
    // The same with the map file given; tests use it to keep their files apart.
    CPlugin(audioMasterCallback host, MidiMapFile mapFile);
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

    // MIDI learn for the editor, on the user-interface thread while MIDI may
    // arrive on another: the target is published before the flag.
    void startMidiLearn(VstInt32 index) { midiCcMap.startLearn(index); }
    void cancelMidiLearn() { midiCcMap.cancelLearn(); }
    void clearMidiBinding(VstInt32 index) { midiCcMap.clearBinding(index); }
    bool isMidiLearning() const { return midiCcMap.isLearning(); }
    VstInt32 midiLearnTarget() const { return midiCcMap.learnTarget(); }
    VstInt32 midiBinding(VstInt32 index) const { return midiCcMap.binding(index); }

    bool isEngineReady() const { return engineReady.load(std::memory_order_relaxed) != 0; }

private:
    bool getPinProperties(VstInt32 index, VstPinProperties* properties);
    PluginProgram& currentProgram();
    static void applyControllerValue(void* self, std::int32_t index, float value);

    // The map file is keyed by the names getParameterName gives.
    struct ParameterNames {
        char text[kNumParams][kParameterNameCapacity];
        const char* list[kNumParams];
    };
    void collectParameterNames(ParameterNames& names);

    // Gates parameter and program changes until the first resume has built
    // the engine; a 32-bit word because the audio and MIDI threads read it.
    MidiCcMap midiCcMap;
    MidiMapFile midiMapFile;
    std::atomic<std::int32_t> engineReady{0};
    SpringEngine engine;
    std::array<PluginProgram, kNumPrograms> programs;
};
