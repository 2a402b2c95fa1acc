// The effect record as a host reads it, and its direct entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/module/ModuleFixture.h"

namespace {

using EffectRecordTest = ModuleFixture;

TEST_F(EffectRecordTest, FieldsAfterCreation) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 1);
    EXPECT_EQ(effect->numParams, 10);
    EXPECT_EQ(effect->numInputs, 1);
    EXPECT_EQ(effect->numOutputs, 1);
    // No editor yet: only replacing and no-sound-in-stop.
    EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsNoSoundInStop);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_NE(effect->object, nullptr);
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_EQ(effect->uniqueID, fourCharId('Q', 'v', 'r', 'z'));
    EXPECT_EQ(effect->uniqueID, 0x5176727A);
    EXPECT_EQ(effect->version, 1);
    EXPECT_NE(effect->dispatcher, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->setParameter, nullptr);
    EXPECT_NE(effect->getParameter, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_NE(effect->processDoubleReplacing, nullptr);
    const char zeros[sizeof(effect->future)] = {};
    EXPECT_EQ(std::memcmp(effect->future, zeros, sizeof(zeros)), 0);
}

TEST_F(EffectRecordTest, DeprecatedAndDoubleProcessLeaveBuffersAlone) {
    constexpr int kFrames = 64;
    std::vector<float> in(kFrames, 0.25f), out(kFrames, 7.0f);
    float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out.data(), out.data()};
    effect->process(effect, inputs, outputs, kFrames);
    EXPECT_EQ(out, std::vector<float>(kFrames, 7.0f));

    std::vector<double> din(kFrames, 0.25), dout(kFrames, 7.0);
    double* dinputs[] = {din.data(), din.data()};
    double* doutputs[] = {dout.data(), dout.data()};
    effect->processDoubleReplacing(effect, dinputs, doutputs, kFrames);
    EXPECT_EQ(dout, std::vector<double>(kFrames, 7.0));
    EXPECT_EQ(din, std::vector<double>(kFrames, 0.25));
}

TEST_F(EffectRecordTest, ProcessReplacingReplacesTheOutput) {
    constexpr int kFrames = 256;
    std::vector<float> in(kFrames, 0.0f), out(kFrames, 7.0f);
    float* inputs[] = {in.data()};
    float* outputs[] = {out.data()};
    effect->processReplacing(effect, inputs, outputs, kFrames);
    EXPECT_EQ(out, std::vector<float>(kFrames, 0.0f)) << "silence in, empty tank: silence out";

    // An impulse leaves a reverb tail that outlasts it.
    in[0] = 1.0f;
    effect->processReplacing(effect, inputs, outputs, kFrames);
    in[0] = 0.0f;
    float tail = 0.0f;
    for (int block = 0; block < 40; ++block) {
        effect->processReplacing(effect, inputs, outputs, kFrames);
        for (float sample : out) {
            tail = std::max(tail, std::abs(sample));
        }
    }
    EXPECT_GT(tail, 0.0f);
}

TEST_F(EffectRecordTest, NullBuffersAreIgnored) {
    float sample = 3.0f;
    float* none[] = {nullptr};
    float* one[] = {&sample};
    effect->processReplacing(effect, nullptr, nullptr, 1);
    effect->processReplacing(effect, none, one, 1);
    effect->processReplacing(effect, one, none, 1);
    EXPECT_EQ(sample, 3.0f);
}

TEST_F(EffectRecordTest, RecordEntriesAndDispatcherSeeTheSameValues) {
    struct Case {
        VstInt32 index;
        float value;
        const char* display;
    };
    for (const Case& c : {Case{0, 0.25f, "0.250000"}, Case{3, 0.7f, "0.700000"}, Case{9, 1.0f, "1.000000"},
                          Case{8, 0.0f, "0.000000"}}) {
        effect->setParameter(effect, c.index, c.value);
        EXPECT_EQ(effect->getParameter(effect, c.index), c.value);
        char text[64] = {};
        EXPECT_EQ(dispatch(effGetParamDisplay, c.index, 0, text), 0);
        EXPECT_STREQ(text, c.display);
    }
    // Nothing a host sets is reported back to it.
    EXPECT_EQ(RecordingHost::count(audioMasterAutomate), 0);
}

TEST_F(EffectRecordTest, OutOfRangeParameterIndexes) {
    for (VstInt32 index : {-1, 10, 1000, INT32_MIN}) {
        effect->setParameter(effect, index, 0.9f);
        EXPECT_EQ(effect->getParameter(effect, index), 0.0f) << index;
    }
    for (VstInt32 index = 0; index < 9; ++index) {
        EXPECT_EQ(effect->getParameter(effect, index), 0.5f);
    }
    EXPECT_EQ(effect->getParameter(effect, 9), 0.0f);
}

}  // namespace
