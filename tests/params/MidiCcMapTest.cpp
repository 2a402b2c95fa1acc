#include "params/MidiCcMap.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "params/ParameterInfo.h"
#include "tests/params/EventList.h"

namespace {

using Call = std::pair<std::int32_t, float>;
using Calls = std::vector<Call>;

void record(void* context, std::int32_t index, float value) {
    static_cast<Calls*>(context)->emplace_back(index, value);
}

// Single-precision 1/127 as the controller scale, product rounded to single.
float expectedValue(int data) {
    return static_cast<float>(data * 0.007874015718698502);
}

Calls run(MidiCcMap& map, EventList& events) {
    Calls calls;
    map.processEvents(events.get(), record, &calls);
    return calls;
}

TEST(MidiCcMap, StartsWithTableDefaultsAndNoLearn) {
    MidiCcMap map;
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(map.binding(i), kParameterInfo[i].defaultCc);
    }
    EXPECT_EQ(map.binding(-1), 0);
    EXPECT_EQ(map.binding(kNumParams), 0);
    EXPECT_FALSE(map.isLearning());
    EXPECT_EQ(map.learnTarget(), -1);
}

TEST(MidiCcMap, ControllerValueScale) {
    EXPECT_EQ(MidiCcMap::controllerValue(0), 0.0f);
    EXPECT_EQ(MidiCcMap::controllerValue(127), 1.0f);
    EXPECT_FLOAT_EQ(MidiCcMap::controllerValue(64), 0.503937f);
    for (int d = 0; d <= 127; ++d) {
        EXPECT_EQ(MidiCcMap::controllerValue(d), expectedValue(d)) << d;
    }
}

TEST(MidiCcMap, ControlChangeOnEveryChannelSetsTheBoundParameter) {
    for (int channel = 0; channel < 16; ++channel) {
        MidiCcMap map;
        EventList events;
        events.add(0xB0 | channel, 20, 127);
        EXPECT_EQ(run(map, events), (Calls{{kInputVolume, 1.0f}})) << channel;
    }
}

struct IgnoredCase {
    const char* what;
    struct {
        int status;
        int controller;
        int value;
    } event;
    VstInt32 type;
};

// Each event would set InputVolume (bound to its controller) and complete a
// pending learn if it were taken as a control change.
TEST(MidiCcMap, EventsThatAreNotParameterControlChangesChangeNothing) {
    const IgnoredCase cases[] = {
        {"note on", {0x90, 20, 100}, kVstMidiType},
        {"note off", {0x80, 20, 100}, kVstMidiType},
        {"pitch bend", {0xE0, 20, 100}, kVstMidiType},
        {"system exclusive status", {0xF0, 20, 100}, kVstMidiType},
        {"system reset", {0xFF, 20, 100}, kVstMidiType},
        {"sysex event type", {0xB0, 20, 100}, kVstSysExType},
        {"unknown event type", {0xB0, 20, 100}, 0},
        {"controller 0", {0xB0, 0, 100}, kVstMidiType},
        {"all sound off", {0xB0, 120, 100}, kVstMidiType},
        {"reset all controllers", {0xB0, 121, 100}, kVstMidiType},
        {"all notes off", {0xB0, 123, 100}, kVstMidiType},
        {"controller byte with top bit", {0xB0, 0x80 | 20, 100}, kVstMidiType},
        {"value byte with top bit", {0xB0, 20, 0x80}, kVstMidiType},
    };
    for (const IgnoredCase& c : cases) {
        MidiCcMap map;
        map.setBinding(kInputVolume, c.event.controller);
        map.startLearn(kDecay);
        EventList events;
        events.add(c.event.status, c.event.controller, c.event.value, c.type);
        EXPECT_TRUE(run(map, events).empty()) << c.what;
        EXPECT_TRUE(map.isLearning()) << c.what;
        EXPECT_EQ(map.binding(kDecay), 21) << c.what;
    }
}

TEST(MidiCcMap, ChannelModeControllerLocalControlIsAccepted) {
    MidiCcMap map;
    map.setBinding(kDispersion, 122);
    EventList events;
    events.add(0xB3, 122, 64);
    EXPECT_EQ(run(map, events), (Calls{{kDispersion, expectedValue(64)}}));
}

TEST(MidiCcMap, LearnBindsAndAppliesTheSameEvent) {
    MidiCcMap map;
    map.startLearn(kDecay);
    EXPECT_TRUE(map.isLearning());
    EXPECT_EQ(map.learnTarget(), kDecay);

    EventList first;
    first.add(0xB0, 7, 100);
    EXPECT_EQ(run(map, first), (Calls{{kDecay, expectedValue(100)}}));
    EXPECT_FALSE(map.isLearning());
    EXPECT_EQ(map.binding(kDecay), 7);

    EventList again;
    again.add(0xB5, 7, 10).add(0xB0, 21, 10);  // the old default controller no longer drives Decay
    EXPECT_EQ(run(map, again), (Calls{{kDecay, expectedValue(10)}}));
}

TEST(MidiCcMap, ControllerBoundTwiceSetsBothInIndexOrder) {
    MidiCcMap map;
    map.startLearn(kDamp);
    EventList events;
    events.add(0xB0, 20, 127);
    EXPECT_EQ(run(map, events), (Calls{{kInputVolume, 1.0f}, {kDamp, 1.0f}}));
}

TEST(MidiCcMap, ClearedCancelledAndRetargetedLearn) {
    MidiCcMap map;
    map.clearBinding(kInputVolume);
    EventList cleared;
    cleared.add(0xB0, 20, 1);
    EXPECT_TRUE(run(map, cleared).empty());

    map.startLearn(kSpringTension);
    map.cancelLearn();
    map.startLearn(kHiPass);
    map.startLearn(kTimbre);  // replaces the pending target
    EventList events;
    events.add(0xB0, 30, 2).add(0xB0, 31, 3);
    EXPECT_EQ(run(map, events), (Calls{{kTimbre, expectedValue(2)}}));
    EXPECT_EQ(map.binding(kInputVolume), 0);
    EXPECT_EQ(map.binding(kSpringTension), 24);
    EXPECT_EQ(map.binding(kHiPass), 26);
    EXPECT_EQ(map.binding(kTimbre), 30);
}

TEST(MidiCcMap, OutOfRangeIndicesNeverTouchTheMap) {
    MidiCcMap map;
    for (std::int32_t index : {std::int32_t{-1}, std::int32_t{kNumParams}, std::int32_t{1 << 30}}) {
        map.startLearn(index);
        EXPECT_FALSE(map.isLearning());
        map.setBinding(index, 5);
        map.clearBinding(index);
    }
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(map.binding(i), kParameterInfo[i].defaultCc);
    }
}

TEST(MidiCcMap, NullAndShortListsAreSafe) {
    MidiCcMap map;
    Calls calls;
    map.processEvents(nullptr, record, &calls);

    EventList events;
    events.add(0xB0, 20, 127).addNull().add(0xB0, 21, 0);
    EXPECT_EQ(run(map, events), (Calls{{kInputVolume, 1.0f}, {kDecay, 0.0f}}));
    for (VstInt32 count : {0, -1, -2147483647 - 1}) {
        map.processEvents(events.get(count), record, &calls);
    }
    map.processEvents(events.get(1), record, &calls);  // reads the first entry only
    EXPECT_EQ(calls, (Calls{{kInputVolume, 1.0f}}));

    map.startLearn(kKick);
    map.processEvents(events.get(), nullptr, nullptr);  // no sink: the binding is still learned
    EXPECT_EQ(map.binding(kKick), 20);
}

}  // namespace
