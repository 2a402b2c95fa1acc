#pragma once
// One effect instance made by a module's entry point, driven the way a host
// drives it. Closes the instance when destroyed.
#include "host/AEffect.h"
#include "tools/host/HostCallback.h"

#include <memory>
#include <string>

class ModuleLoader;

class PluginInstance {
public:
    // Null with a one-line reason when the entry point refuses (null record)
    // or answers with something that is not an effect record.
    static std::unique_ptr<PluginInstance> create(const ModuleLoader& module, std::string& error);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* effect() const { return effect_; }
    HostContext& host() { return *host_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;

    // Sample rate and block size are only changed while suspended.
    void configure(double sampleRate, int maxBlockSize);
    void resume();
    void suspend();
    bool resumed() const { return resumed_; }

    void process(float** inputs, float** outputs, int frames) const;
    void setParameter(int index, float value) const;
    float getParameter(int index) const;

    std::string parameterName(int index) const { return queryText(effGetParamName, index); }
    std::string parameterLabel(int index) const { return queryText(effGetParamLabel, index); }
    std::string parameterDisplay(int index) const { return queryText(effGetParamDisplay, index); }
    std::string programName() const { return queryText(effGetProgramName, 0); }
    std::string effectName() const { return queryText(effGetEffectName, 0); }
    std::string vendorString() const { return queryText(effGetVendorString, 0); }
    std::string productString() const { return queryText(effGetProductString, 0); }
    // Text answers land in a buffer far larger than any limit, so an
    // over-long answer is reported rather than corrupting memory.
    std::string queryText(VstInt32 opcode, VstInt32 index, VstIntPtr value = 0) const;

    // Exact name first, then ignoring letter case; -1 when nothing matches.
    int findParameter(const std::string& name) const;

    void sendEvents(VstEvents* events) const { dispatch(effProcessEvents, 0, 0, events); }
    // Channel 0..15, controller and value 0..127.
    void sendControlChange(int channel, int controller, int value) const;

    int numInputs() const { return effect_->numInputs; }
    int numOutputs() const { return effect_->numOutputs; }
    int numParams() const { return effect_->numParams; }
    int numPrograms() const { return effect_->numPrograms; }
    double sampleRate() const { return sampleRate_; }

private:
    PluginInstance(AEffect* effect, std::unique_ptr<HostContext> host);

    AEffect* effect_;
    std::unique_ptr<HostContext> host_;
    bool resumed_ = false;
    double sampleRate_ = 44100.0;
};
