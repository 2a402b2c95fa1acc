// MIDI control of a whole plug-in: controller input, learn driven the way the
// editor drives it, and bindings that outlive the instance in its map file.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "host/CPlugin.h"
#include "tests/module/RecordingHost.h"
#include "tests/params/EventList.h"
#include "tests/params/TempFolder.h"

namespace {

class MidiControl : public ::testing::Test {
protected:
    std::unique_ptr<CPlugin> makePlugin() {
        RecordingHost::reset();
        // The map file lands in the temporary folder, beside a pretend module.
        return std::make_unique<CPlugin>(RecordingHost::callback,
                                         MidiMapFile(folder.path("Quorl.so"), folder.path("config")));
    }
    static void send(CPlugin& plugin, EventList& events) {
        EXPECT_EQ(plugin.processEvents(const_cast<VstEvents*>(events.get())), 1);
    }
    std::string mapFile() const { return TempFolder::readBytes(folder.path("Quorl.dat")); }

    TempFolder folder;
};

TEST_F(MidiControl, ControlChangesSetParametersOnEveryChannel) {
    auto plugin = makePlugin();
    EventList events;
    events.add(0xBF, 20, 127).add(0xB0, 28, 0).add(0x90, 21, 100).add(0xB3, 64, 64);
    send(*plugin, events);
    EXPECT_EQ(plugin->getParameter(kInputVolume), 1.0f);
    EXPECT_EQ(plugin->getParameter(kOutputMix), 0.0f);
    EXPECT_EQ(plugin->getParameter(kDecay), 0.5f);  // a note-on is not a controller
    EXPECT_EQ(plugin->getParameter(kKick), MidiCcMap::controllerValue(64));
}

TEST_F(MidiControl, LearnBindsTheNextControllerAndAppliesItsValue) {
    auto plugin = makePlugin();
    plugin->startMidiLearn(kDecay);
    EXPECT_TRUE(plugin->isMidiLearning());
    EventList events;
    events.add(0xB0, 120, 0).add(0xB0, 7, 127);  // all-sound-off never binds
    send(*plugin, events);
    EXPECT_FALSE(plugin->isMidiLearning());
    EXPECT_EQ(plugin->midiBinding(kDecay), 7);
    EXPECT_EQ(plugin->getParameter(kDecay), 1.0f);

    EventList old;
    old.add(0xB0, 21, 0);  // the default binding of Decay is gone
    send(*plugin, old);
    EXPECT_EQ(plugin->getParameter(kDecay), 1.0f);

    plugin->clearMidiBinding(kDecay);
    EventList again;
    again.add(0xB0, 7, 0);
    send(*plugin, again);
    EXPECT_EQ(plugin->getParameter(kDecay), 1.0f);

    plugin->startMidiLearn(kDamp);
    plugin->cancelMidiLearn();
    send(*plugin, again);
    EXPECT_EQ(plugin->midiBinding(kDamp), 22);
}

TEST_F(MidiControl, LearnedBindingsSurviveTheInstance) {
    {
        auto plugin = makePlugin();
        plugin->startMidiLearn(kTimbre);
        EventList events;
        events.add(0xB5, 99, 10);
        send(*plugin, events);
    }
    EXPECT_NE(mapFile().find("Timbre=99"), std::string::npos);
    auto reloaded = makePlugin();
    EXPECT_EQ(reloaded->midiBinding(kTimbre), 99);
    EXPECT_EQ(reloaded->midiBinding(kDecay), 21);
}

TEST_F(MidiControl, TheInstanceClosedLastDecidesTheFile) {
    auto first = makePlugin();
    auto second = makePlugin();
    first->startMidiLearn(kDamp);
    second->startMidiLearn(kDamp);
    EventList a, b;
    a.add(0xB0, 40, 1);
    b.add(0xB0, 41, 1);
    send(*first, a);
    send(*second, b);
    second.reset();
    first.reset();
    EXPECT_NE(mapFile().find("Damp=40"), std::string::npos);
    EXPECT_EQ(mapFile().find("Damp=41"), std::string::npos);
    EXPECT_EQ(makePlugin()->midiBinding(kDamp), 40);
}

// Audio on one thread, controllers on a second, the editor's learn, cancel
// and clear on a third: run under ThreadSanitizer to prove the sharing sound.
TEST_F(MidiControl, AudioMidiAndLearnOnThreeThreads) {
    auto plugin = makePlugin();
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};

    std::thread audio([&] {
        std::vector<float> buffer(256, 0.25f);
        float* channel = buffer.data();
        while (!stop.load(std::memory_order_relaxed)) {
            plugin->processReplacing(&channel, &channel, 256);
            for (float sample : buffer) {
                ASSERT_TRUE(std::isfinite(sample));
            }
            std::fill(buffer.begin(), buffer.end(), 0.25f);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });
    std::thread midi([&] {
        EventList events;
        for (int cc = 1; cc < 128; cc += 3) {
            events.add(0xB0 | (cc & 15), cc, (cc * 7) & 127);
        }
        while (!stop.load(std::memory_order_relaxed)) {
            plugin->processEvents(const_cast<VstEvents*>(events.get()));
        }
    });
    std::thread editor([&] {
        for (int round = 0; !stop.load(std::memory_order_relaxed); ++round) {
            const VstInt32 index = round % kNumParams;
            plugin->startMidiLearn(index);
            if (round % 3 == 0) {
                plugin->cancelMidiLearn();
            }
            if (round % 5 == 0) {
                plugin->clearMidiBinding((index + 1) % kNumParams);
            }
            (void)plugin->isMidiLearning();
            (void)plugin->midiBinding(index);
            std::this_thread::yield();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    stop.store(true);
    audio.join();
    midi.join();
    editor.join();
    EXPECT_GT(blocks.load(), 0);
    for (VstInt32 i = 0; i < kNumParams; ++i) {
        const float value = plugin->getParameter(i);
        EXPECT_TRUE(value >= 0.0f && value <= 1.0f) << i;
    }
}

}  // namespace
