// MIDI on one thread, the editor's learn commands on another and the
// editor's display reads on a third, as a host may run them. Meant for
// ThreadSanitizer; the checks also catch values outside their ranges.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <thread>

#include "params/MidiCcMap.h"
#include "tests/params/EventList.h"

namespace {

struct SinkState {
    std::atomic<std::uint32_t> lastValueBits{0};
    std::atomic<int> calls{0};
    std::atomic<int> bad{0};
};

void sink(void* context, std::int32_t index, float value) {
    auto* state = static_cast<SinkState*>(context);
    if (!isParameterIndex(index) || !(value >= 0.0f && value <= 1.0f)) {
        state->bad.fetch_add(1, std::memory_order_relaxed);
    }
    state->lastValueBits.store(std::bit_cast<std::uint32_t>(value), std::memory_order_relaxed);
    state->calls.fetch_add(1, std::memory_order_relaxed);
}

TEST(MidiCcMapStress, ThreeThreadsShareTheMap) {
    MidiCcMap map;
    SinkState state;
    std::atomic<bool> stop{false};
    std::atomic<int> badReads{0};

    EventList events;
    for (int c = 0; c < 128; c += 3) {
        events.add(0xB0 | (c & 15), c, c).addNull();
    }
    const VstEvents* list = events.get();

    std::thread midi([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            map.processEvents(list, sink, &state);
        }
    });
    std::thread editor([&] {
        for (std::int32_t i = 0; !stop.load(std::memory_order_relaxed); i = (i + 1) % kNumParams) {
            map.startLearn(i);
            if (i % 3 == 0) {
                map.cancelLearn();
            }
            if (i % 4 == 0) {
                map.clearBinding((i + 5) % kNumParams);
            }
        }
    });
    std::thread display([&] {
        while (!stop.load(std::memory_order_relaxed)) {
            const bool learning = map.isLearning();
            const std::int32_t target = map.learnTarget();
            if (learning && !isParameterIndex(target)) {
                badReads.fetch_add(1, std::memory_order_relaxed);
            }
            for (std::int32_t i = 0; i < kNumParams; ++i) {
                const std::int32_t cc = map.binding(i);
                if (cc < 0 || cc > 127) {
                    badReads.fetch_add(1, std::memory_order_relaxed);
                }
            }
        }
    });

    std::this_thread::sleep_for(std::chrono::seconds(2));
    stop.store(true);
    midi.join();
    editor.join();
    display.join();
    EXPECT_EQ(state.bad.load(), 0);
    EXPECT_EQ(badReads.load(), 0);
    EXPECT_GT(state.calls.load(), 0);
}

}  // namespace
