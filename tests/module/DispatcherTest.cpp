// Every opcode's answer through the record's dispatcher, as a host sees it.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "tests/module/ModuleFixture.h"

namespace {

using DispatcherTest = ModuleFixture;

constexpr unsigned char kFill = 0x5A;

// A buffer the effect has no business writing into.
struct Scratch {
    Scratch() {
        bytes.fill(kFill);
        bytes.back() = 0;  // so that a text request reads a terminated text
    }
    bool untouched() const {
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
            if (bytes[i] != kFill) {
                return false;
            }
        }
        return bytes.back() == 0;
    }
    std::array<unsigned char, 256> bytes;
};

// Opcodes that write into ptr, destroy the instance or need a real record
// behind ptr; each has its own test below.
bool sweptSeparately(VstInt32 opcode) {
    switch (opcode) {
        case effClose:
        case effSetProgramName:
        case effGetProgramName:
        case effGetParamLabel:
        case effGetParamDisplay:
        case effGetParamName:
        case effProcessEvents:
        case effGetProgramNameIndexed:
        case effGetInputProperties:
        case effGetOutputProperties:
        case effGetEffectName:
        case effGetVendorString:
        case effGetProductString:
        case effGetSpeakerArrangement:
            return true;
        default:
            return false;
    }
}

TEST_F(DispatcherTest, EveryOtherOpcodeAnswersItsDefault) {
    constexpr VstIntPtr kValue = 4096;
    // Everything not listed answers 0; the index 0 and value 4096 are the arguments.
    const std::map<VstInt32, VstIntPtr> answers = {
        {effIdentify, 0x4E764566},
        {effCanBeAutomated, 1},
        {effGetPlugCategory, 1},
        {effGetVendorVersion, 1010},
        {effCanDo, -1},
        {effGetVstVersion, 2400},
        {effGetCurrentMidiProgram, -1},
        {effSetTotalSampleToProcess, kValue},
        {effGetNumMidiInputChannels, 1},
    };
    std::vector<VstInt32> opcodes = {INT_MIN, -100, -2, -1, 1000, INT_MAX};
    for (VstInt32 opcode = 0; opcode < 128; ++opcode) {
        opcodes.push_back(opcode);
    }
    for (VstInt32 opcode : opcodes) {
        if (sweptSeparately(opcode)) {
            continue;
        }
        Scratch scratch;
        const auto known = answers.find(opcode);
        const VstIntPtr expected = known != answers.end() ? known->second : 0;
        EXPECT_EQ(dispatch(opcode, 0, kValue, scratch.bytes.data(), 0.0f), expected) << "opcode " << opcode;
        EXPECT_TRUE(scratch.untouched()) << "opcode " << opcode << " wrote into ptr";
    }
    EXPECT_EQ(RecordingHost::count(audioMasterAutomate), 0);
}

TEST_F(DispatcherTest, EveryParameterCanBeAutomated) {
    for (VstInt32 index : {0, 9, 10, -1}) {
        EXPECT_EQ(dispatch(effCanBeAutomated, index), 1) << index;
    }
}

TEST_F(DispatcherTest, TextAnswersKeepToTheirLimits) {
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        std::size_t limit;  // bytes the effect may write, terminator included
        const char* text;
        VstIntPtr result;
    };
    const Case cases[] = {
        {effGetParamName, 4, 32, "SpringTension", 0},
        {effGetParamName, 9, 32, "Kick", 0},
        {effGetParamLabel, 0, 8, "", 0},
        {effGetParamDisplay, 0, 9, "0.500000", 0},
        {effGetParamDisplay, 9, 9, "0.000000", 0},
        {effGetProgramName, 0, 24, "Spring Reverb Quorl", 0},
        {effGetProgramNameIndexed, 0, 24, "Spring Reverb Quorl", 1},
        {effGetEffectName, 0, 32, "Quorl", 1},
        {effGetVendorString, 0, 64, "Ferrowind Audio", 1},
        {effGetProductString, 0, 64, "Quorl", 1},
    };
    for (const Case& c : cases) {
        Scratch scratch;
        EXPECT_EQ(dispatch(c.opcode, c.index, 0, scratch.bytes.data()), c.result) << "opcode " << c.opcode;
        EXPECT_STREQ(reinterpret_cast<const char*>(scratch.bytes.data()), c.text) << "opcode " << c.opcode;
        for (std::size_t i = c.limit; i + 1 < scratch.bytes.size(); ++i) {
            ASSERT_EQ(scratch.bytes[i], kFill) << "opcode " << c.opcode << " wrote past " << c.limit << " bytes";
        }
    }
}

TEST_F(DispatcherTest, ParameterNamesAndLabels) {
    const char* const names[] = {"InputVolume", "Decay",  "Damp",   "Dispersion", "SpringTension",
                                 "Timbre",      "HiPass", "LoPass", "OutputMix",  "Kick"};
    for (VstInt32 i = 0; i < 10; ++i) {
        char name[64] = "x";
        char label[64] = "x";
        dispatch(effGetParamName, i, 0, name);
        dispatch(effGetParamLabel, i, 0, label);
        EXPECT_STREQ(name, names[i]);
        EXPECT_STREQ(label, "");
    }
    char text[64] = "x";
    dispatch(effGetParamName, 10, 0, text);
    EXPECT_STREQ(text, "");
}

TEST_F(DispatcherTest, NullBuffersAreNotTouched) {
    struct Case {
        VstInt32 opcode;
        VstIntPtr result;
    };
    const Case cases[] = {
        {effSetProgramName, 0},
        {effGetProgramName, 0},
        {effGetParamLabel, 0},
        {effGetParamDisplay, 0},
        {effGetParamName, 0},
        {effEditGetRect, 0},
        {effEditOpen, 0},
        {effGetChunk, 0},
        {effSetChunk, 0},
        {effProcessEvents, 1},
        {effString2Parameter, 0},
        {effGetProgramNameIndexed, 0},
        {effGetInputProperties, 0},
        {effGetOutputProperties, 0},
        {effGetEffectName, 0},
        {effGetVendorString, 0},
        {effGetProductString, 0},
        {effCanDo, -1},
        {effGetSpeakerArrangement, 0},
        {effShellGetNextPlugin, 0},
        {effGetMidiKeyName, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dispatch(c.opcode, 0, 0, nullptr), c.result) << "opcode " << c.opcode;
    }
    char name[64] = {};
    dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Spring Reverb Quorl");
}

TEST_F(DispatcherTest, CanDoAnswersOneOrMinusOne) {
    const std::map<std::string, VstIntPtr> cases = {
        {"receiveVstEvents", 1},
        {"receiveVstMidiEvent", 1},
        {"receiveVstTimeInfo", 1},
        {"ReceiveVstEvents", -1},
        {"RECEIVEVSTEVENTS", -1},
        {"receiveVstEvent", -1},
        {"receiveVstEventsX", -1},
        {"sendVstEvents", -1},
        {"sendVstMidiEvent", -1},
        {"bypass", -1},
        {"midiProgramNames", -1},
        {"offline", -1},
        {"", -1},
    };
    for (const auto& [text, answer] : cases) {
        std::string copy = text;
        EXPECT_EQ(dispatch(effCanDo, 0, 0, copy.data()), answer) << '"' << text << '"';
    }
}

TEST_F(DispatcherTest, PinPropertiesForPinsBelowTwo) {
    struct Case {
        VstInt32 index;
        bool answered;
    };
    for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
        for (const Case& c :
             {Case{0, true}, Case{1, true}, Case{-1, true}, Case{INT_MIN, true}, Case{2, false}, Case{100, false}}) {
            VstPinProperties pin;
            std::memset(&pin, kFill, sizeof(pin));
            VstPinProperties before;
            std::memcpy(&before, &pin, sizeof(pin));
            EXPECT_EQ(dispatch(opcode, c.index, 0, &pin), c.answered ? 1 : 0)
                << "opcode " << opcode << " pin " << c.index;
            if (!c.answered) {
                EXPECT_EQ(std::memcmp(&pin, &before, sizeof(pin)), 0);
                continue;
            }
            EXPECT_STREQ(pin.label, "Quorl");
            EXPECT_STREQ(pin.shortLabel, "Quorl");
            EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
            EXPECT_EQ(pin.arrangementType, before.arrangementType);
            EXPECT_EQ(std::memcmp(pin.future, before.future, sizeof(pin.future)), 0);
            EXPECT_EQ(static_cast<unsigned char>(pin.label[63]), kFill) << "label written past its text";
        }
    }
}

TEST_F(DispatcherTest, SpeakerArrangementIsClearedThroughBothPointers) {
    int dummy = 0;
    auto* input = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    auto* output = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(DispatcherTest, EmptyEventListIsAccepted) {
    VstEvents events{};
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, &events), 1);
}

TEST_F(DispatcherTest, MainsChangedResumesOnAnyNonzeroValue) {
    const int before = RecordingHost::count(audioMasterWantMidi);
    EXPECT_EQ(dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(RecordingHost::count(audioMasterWantMidi), before) << "suspend asks nothing";
    EXPECT_EQ(dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(dispatch(effMainsChanged, 0, -7), 0);
    EXPECT_EQ(RecordingHost::count(audioMasterWantMidi), before + 2);
}

}  // namespace
