#include "params/MidiCcMap.h"

#include "params/ParameterInfo.h"

static_assert(std::atomic<std::int32_t>::is_always_lock_free, "the MIDI path must never lock");

namespace {

constexpr std::int32_t kControlChange = 0xB0;
// Controllers that are channel-mode messages rather than parameters; 122
// (local control) is deliberately accepted.
constexpr std::int32_t kAllSoundOff = 120;
constexpr std::int32_t kResetAllControllers = 121;
constexpr std::int32_t kAllNotesOff = 123;
constexpr float kDataScale = 1.0f / 127.0f;

bool isIgnoredController(std::int32_t controller) {
    return controller == 0 || controller == kAllSoundOff || controller == kResetAllControllers ||
           controller == kAllNotesOff;
}

}  // namespace

MidiCcMap::MidiCcMap() {
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        ccNumbers[i].store(kParameterInfo[i].defaultCc, std::memory_order_relaxed);
    }
}

void MidiCcMap::startLearn(std::int32_t index) {
    if (!isParameterIndex(index)) {
        return;
    }
    // The target must be visible before the flag: a controller that sees the
    // flag binds to this parameter, never to the previous one.
    learnTargetIndex.store(index, std::memory_order_relaxed);
    learnActive.store(1, std::memory_order_release);
}

void MidiCcMap::cancelLearn() {
    learnActive.store(0, std::memory_order_relaxed);
}

void MidiCcMap::clearBinding(std::int32_t index) {
    setBinding(index, kNotAssigned);
}

std::int32_t MidiCcMap::binding(std::int32_t index) const {
    return isParameterIndex(index) ? ccNumbers[index].load(std::memory_order_relaxed) : kNotAssigned;
}

void MidiCcMap::setBinding(std::int32_t index, std::int32_t cc) {
    if (isParameterIndex(index)) {
        ccNumbers[index].store(cc, std::memory_order_relaxed);
    }
}

bool MidiCcMap::isLearning() const {
    return learnActive.load(std::memory_order_acquire) != 0;
}

std::int32_t MidiCcMap::learnTarget() const {
    return learnTargetIndex.load(std::memory_order_relaxed);
}

float MidiCcMap::controllerValue(std::int32_t data) {
    // The product of a 7-bit integer and a float is exact in double, so this
    // rounds once, exactly like the single-precision multiplication.
    return static_cast<float>(static_cast<double>(data) * static_cast<double>(kDataScale));
}

void MidiCcMap::processEvents(const VstEvents* events, Sink sink, void* context) {
    if (events == nullptr) {
        return;
    }
    // The host sizes the pointer array to numEvents; the declared array length is nominal.
    const VstEvent* const* list = events->events;
    for (std::int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = list[i];
        if (event == nullptr || event->type != kVstMidiType) {
            continue;
        }
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const auto status = static_cast<unsigned char>(midi->midiData[0]);
        const auto controller = static_cast<unsigned char>(midi->midiData[1]);
        const auto data = static_cast<unsigned char>(midi->midiData[2]);
        if ((status & 0xF0) != kControlChange) {
            continue;
        }
        // A data byte with its top bit set is not valid MIDI: such an event
        // is dropped instead of being read as some other controller or as a
        // value outside 0..1.
        if (controller > 127 || data > 127) {
            continue;
        }
        processControlChange(controller, data, sink, context);
    }
}

void MidiCcMap::processControlChange(std::int32_t controller, std::int32_t data, Sink sink, void* context) {
    if (isIgnoredController(controller)) {
        return;
    }
    // Taking the flag with one exchange means a cancel racing with this
    // event either wins completely or not at all.
    if (learnActive.load(std::memory_order_relaxed) != 0 && learnActive.exchange(0, std::memory_order_acquire) != 0) {
        // startLearn() validates the index; checking again keeps the map
        // safe whatever the word holds.
        setBinding(learnTargetIndex.load(std::memory_order_relaxed), controller);
    }
    if (sink == nullptr) {
        return;
    }
    const float value = controllerValue(data);
    for (std::int32_t j = 0; j < kNumParams; ++j) {
        if (ccNumbers[j].load(std::memory_order_relaxed) == controller) {
            sink(context, j, value);
        }
    }
}
