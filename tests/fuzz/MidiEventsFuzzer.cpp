// Any bytes as a host event list interleaved with editor learn commands:
// a count, then records of one kind byte and, for events, the raw 32 bytes of
// the event (any type, any size field, any MIDI bytes). The list holds
// exactly as many pointers as its count says, so any read past them shows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "params/MidiCcMap.h"

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;

    bool take(void* out, std::size_t count) {
        if (size < count) {
            return false;
        }
        std::memcpy(out, data, count);
        data += count;
        size -= count;
        return true;
    }
};

void checkedSink(void*, std::int32_t index, float value) {
    if (!isParameterIndex(index) || !(value >= 0.0f && value <= 1.0f)) {
        __builtin_trap();
    }
}

constexpr std::int32_t kMaxSlots = 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input{data, size};
    std::int16_t count = 0;
    if (!input.take(&count, sizeof count)) {
        return 0;
    }
    MidiCcMap map;
    const std::int32_t slots = count > 0 ? (count < kMaxSlots ? count : kMaxSlots) : 0;
    std::vector<VstEvent> events(static_cast<std::size_t>(slots));
    // Header words then exactly `slots` pointers, allocated to the byte.
    const std::size_t bytes = offsetof(VstEvents, events) + static_cast<std::size_t>(slots) * sizeof(VstEvent*);
    auto* list = static_cast<VstEvents*>(std::malloc(bytes));
    if (list == nullptr) {
        return 0;
    }
    list->numEvents = count > kMaxSlots ? kMaxSlots : count;
    VstEvent** pointers = list->events;
    for (std::int32_t i = 0; i < slots; ++i) {
        std::uint8_t kind = 0;
        input.take(&kind, 1);
        pointers[i] = nullptr;
        switch (kind % 8) {
            case 0:
                break;  // null entry
            case 1:
                map.startLearn(static_cast<std::int8_t>(kind) >> 3);  // also out-of-range targets
                break;
            case 2:
                map.cancelLearn();
                break;
            case 3:
                map.setBinding(kind >> 4, kind >> 1);
                break;
            default:
                if (input.take(&events[i], sizeof(VstEvent))) {
                    pointers[i] = &events[i];
                }
                break;
        }
    }
    map.processEvents(list, checkedSink, nullptr);
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        (void)map.binding(i);
    }
    std::free(list);
    return 0;
}
