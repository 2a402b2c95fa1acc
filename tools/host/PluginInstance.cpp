#include "tools/host/PluginInstance.h"

#include "tools/host/ModuleLoader.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr std::size_t kTextBufferSize = 512;

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::unique_ptr<PluginInstance> PluginInstance::create(const ModuleLoader& module, std::string& error) {
    if (module.entry() == nullptr) {
        error = "no module loaded";
        return nullptr;
    }
    AEffect* effect = module.entry()(hostCallback);
    if (effect == nullptr) {
        error = "'" + module.path() + "' refused to create an effect: its entry point returned null";
        return nullptr;
    }
    if (effect->magic != kEffectMagic || effect->dispatcher == nullptr) {
        error = "'" + module.path() + "' returned something that is not a VST 2 effect record";
        return nullptr;
    }
    auto host = std::make_unique<HostContext>();
    attachHostContext(effect, host.get());
    std::unique_ptr<PluginInstance> instance(new PluginInstance(effect, std::move(host)));
    instance->dispatch(effOpen);
    return instance;
}

PluginInstance::PluginInstance(AEffect* effect, std::unique_ptr<HostContext> host)
    : effect_(effect), host_(std::move(host)) {}

PluginInstance::~PluginInstance() {
    if (resumed_)
        suspend();
    dispatch(effClose);
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::configure(double sampleRate, int maxBlockSize) {
    const bool wasResumed = resumed_;
    if (wasResumed)
        suspend();
    sampleRate_ = sampleRate;
    host_->sampleRate.store(static_cast<float>(sampleRate), std::memory_order_relaxed);
    host_->blockSize.store(maxBlockSize, std::memory_order_relaxed);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxBlockSize);
    if (wasResumed)
        resume();
}

void PluginInstance::resume() {
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    resumed_ = true;
}

void PluginInstance::suspend() {
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
}

void PluginInstance::process(float** inputs, float** outputs, int frames) const {
    effect_->processReplacing(effect_, inputs, outputs, frames);
}

void PluginInstance::setParameter(int index, float value) const {
    if (effect_->setParameter != nullptr)
        effect_->setParameter(effect_, index, value);
}

float PluginInstance::getParameter(int index) const {
    return effect_->getParameter != nullptr ? effect_->getParameter(effect_, index) : 0.0f;
}

std::string PluginInstance::queryText(VstInt32 opcode, VstInt32 index, VstIntPtr value) const {
    std::array<char, kTextBufferSize> buffer{};
    dispatch(opcode, index, value, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}

int PluginInstance::findParameter(const std::string& name) const {
    for (int i = 0; i < numParams(); ++i)
        if (parameterName(i) == name)
            return i;
    for (int i = 0; i < numParams(); ++i)
        if (equalIgnoringCase(parameterName(i), name))
            return i;
    return -1;
}

void PluginInstance::sendControlChange(int channel, int controller, int value) const {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.midiData[0] = static_cast<char>(0xB0 | (channel & 0x0F));
    event.midiData[1] = static_cast<char>(controller & 0x7F);
    event.midiData[2] = static_cast<char>(value & 0x7F);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    sendEvents(&events);
}
