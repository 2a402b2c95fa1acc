#pragma once
// Which MIDI controller drives each parameter, and the learn request that
// binds the next incoming controller to a chosen parameter.
//
// Threading: processEvents() runs on whatever thread the host delivers MIDI on
// (often the audio thread) while the editor starts, cancels and clears
// bindings on the user-interface thread. Every shared value is one 32-bit
// atomic word; nothing here locks or allocates.
#include <atomic>
#include <cstdint>

#include "host/AEffect.h"
#include "params/ParameterIndex.h"

class MidiCcMap {
public:
    // Receives every parameter change a controller causes; the plug-in passes
    // its own setParameter here.
    using Sink = void (*)(void* context, std::int32_t index, float value);

    // Controller number meaning "no controller drives this parameter".
    static constexpr std::int32_t kNotAssigned = 0;

    // Starts with the default controller of each parameter; not learning.
    MidiCcMap();
    MidiCcMap(const MidiCcMap&) = delete;
    MidiCcMap& operator=(const MidiCcMap&) = delete;

    // Editor commands. An index outside the parameter range is ignored.
    void startLearn(std::int32_t index);
    void cancelLearn();
    void clearBinding(std::int32_t index);

    // Controller bound to a parameter; kNotAssigned for an index outside the range.
    std::int32_t binding(std::int32_t index) const;
    // Stores any number as given (values outside 1..127 simply never match).
    void setBinding(std::int32_t index, std::int32_t cc);

    bool isLearning() const;
    // Parameter the pending or last learn request targets; -1 before the first.
    std::int32_t learnTarget() const;

    // Applies the control changes of one host event list: a learn request
    // binds the first accepted controller, then every parameter bound to the
    // controller is sent to the sink, in index order. A null list, null
    // entries and non-MIDI events are skipped. Reads exactly numEvents entries.
    void processEvents(const VstEvents* events, Sink sink, void* context);

    // The parameter value a controller's data byte 0..127 stands for.
    static float controllerValue(std::int32_t data);

private:
    void processControlChange(std::int32_t controller, std::int32_t data, Sink sink, void* context);

    std::atomic<std::int32_t> ccNumbers[kNumParams];
    std::atomic<std::int32_t> learnActive{0};
    std::atomic<std::int32_t> learnTargetIndex{-1};
};
