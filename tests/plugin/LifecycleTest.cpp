// Construction, resume, suspend and sample rate changes of the plug-in object.
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "tests/plugin/PluginFixture.h"

namespace {

using LifecycleTest = PluginFixture;

constexpr int kFrames = 512;

// The output of an impulse followed by silence.
std::vector<float> impulseResponse(CPlugin& plugin, int blocks) {
    std::vector<float> in(kFrames, 0.0f), out(kFrames, 0.0f), response;
    float* inputs[] = {in.data()};
    float* outputs[] = {out.data()};
    in[0] = 1.0f;
    for (int block = 0; block < blocks; ++block) {
        plugin.processReplacing(inputs, outputs, kFrames);
        response.insert(response.end(), out.begin(), out.end());
        in[0] = 0.0f;
    }
    return response;
}

// The tank's spread comes from the C runtime's generator; fixing its seed
// before a resume makes two builds for the same rate identical.
void resumeWithSeed(CPlugin& plugin, unsigned seed) {
    std::srand(seed);
    plugin.resume();
}

TEST_F(LifecycleTest, ReadyAfterConstruction) {
    EXPECT_TRUE(plugin->isEngineReady());
    EXPECT_EQ(plugin->getProgram(), 0);
    for (VstInt32 i = 0; i < 9; ++i) {
        EXPECT_EQ(plugin->getParameter(i), 0.5f) << i;
    }
    EXPECT_EQ(plugin->getParameter(kKick), 0.0f);
    EXPECT_EQ(RecordingHost::count(audioMasterWantMidi), 1);
    EXPECT_EQ(RecordingHost::count(audioMasterAutomate), 0);
    EXPECT_EQ(plugin->getEditor(), nullptr);
}

TEST_F(LifecycleTest, EveryResumeRequestsMidiOnce) {
    plugin->resume();
    plugin->resume();
    EXPECT_EQ(RecordingHost::count(audioMasterWantMidi), 3);
    for (const HostRequest& request : RecordingHost::requests()) {
        if (request.opcode == audioMasterWantMidi) {
            EXPECT_EQ(request.effect, plugin->getAeffect());
            EXPECT_EQ(request.value, 1);
        }
    }
}

TEST_F(LifecycleTest, SuspendKeepsValuesAndResumeReappliesThem) {
    plugin->setParameter(kDecay, 0.8f);
    plugin->setParameter(kTimbre, 0.1f);
    plugin->suspend();
    EXPECT_EQ(plugin->getParameter(kDecay), 0.8f);
    EXPECT_EQ(plugin->getParameter(kTimbre), 0.1f);
    const std::size_t requests = RecordingHost::requests().size();
    plugin->dispatcher(effMainsChanged, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(RecordingHost::requests().size(), requests) << "suspend sends nothing";
    plugin->resume();
    EXPECT_EQ(plugin->getParameter(kDecay), 0.8f);
    EXPECT_EQ(plugin->getParameter(kTimbre), 0.1f);
}

// Instances that have never processed differ only in what their resume drew.
std::unique_ptr<CPlugin> freshPlugin() {
    return std::unique_ptr<CPlugin>(static_cast<CPlugin*>(createEffectInstance(RecordingHost::callback)));
}

constexpr unsigned kSeed = 1234;
// Far enough from kSeed that the first draws differ widely with any C runtime.
constexpr unsigned kOtherSeed = 20000;
constexpr int kBlocks = 8;

// The impulse response of a new instance told the rate, then resumed with a
// draw from seed.
std::vector<float> freshResponse(unsigned seed, float rate = 44100.0f) {
    auto plugin = freshPlugin();
    plugin->dispatcher(effSetSampleRate, 0, 0, nullptr, rate);
    resumeWithSeed(*plugin, seed);
    return impulseResponse(*plugin, kBlocks);
}

TEST_F(LifecycleTest, ResumeRebuildsTheTankWithAFreshDraw) {
    const std::vector<float> expected = freshResponse(kSeed);
    EXPECT_EQ(freshResponse(kSeed), expected) << "same draw, same rate: same tank";
    EXPECT_NE(freshResponse(kOtherSeed), expected) << "another draw: another tank";
}

TEST_F(LifecycleTest, SampleRateTakesEffectAtTheNextResume) {
    const std::vector<float> at44100 = freshResponse(kSeed);
    EXPECT_NE(freshResponse(kSeed, 48000.0f), at44100) << "resumed: rebuilt for 48000";

    auto notResumed = freshPlugin();
    resumeWithSeed(*notResumed, kSeed);
    notResumed->setSampleRate(48000.0f);
    EXPECT_EQ(impulseResponse(*notResumed, kBlocks), at44100) << "no resume yet: still the 44100 tank";
}

TEST_F(LifecycleTest, UnusableSampleRatesKeepThePreviousOne) {
    const std::vector<float> expected = freshResponse(kSeed);
    for (float rate : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(freshResponse(kSeed, rate), expected) << "rate " << rate;
    }
}

TEST_F(LifecycleTest, BlockSizeIsOnlyStored) {
    plugin->dispatcher(effSetBlockSize, 0, 64, nullptr, 0.0f);
    plugin->dispatcher(effSetBlockSize, 0, -1, nullptr, 0.0f);
    // Blocks of any length still process.
    std::vector<float> in(3000, 0.0f), out(3000, 1.0f);
    float* inputs[] = {in.data()};
    float* outputs[] = {out.data()};
    plugin->processReplacing(inputs, outputs, 3000);
    EXPECT_EQ(out, std::vector<float>(3000, 0.0f));
}

}  // namespace
