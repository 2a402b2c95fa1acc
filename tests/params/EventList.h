#pragma once
// Builds host event lists in memory, sized exactly to their count so that
// AddressSanitizer catches any read past the last entry.
#include <cstdint>
#include <memory>
#include <vector>

#include "host/AEffect.h"

class EventList {
public:
    // One MIDI event per entry; nullptr entries can be added with addNull().
    EventList& add(int status, int data1, int data2, VstInt32 type = kVstMidiType) {
        auto event = std::make_unique<VstMidiEvent>();
        event->type = type;
        event->byteSize = sizeof(VstMidiEvent);
        event->midiData[0] = static_cast<char>(status);
        event->midiData[1] = static_cast<char>(data1);
        event->midiData[2] = static_cast<char>(data2);
        pointers.push_back(reinterpret_cast<VstEvent*>(event.get()));
        owned.push_back(std::move(event));
        return *this;
    }
    EventList& addNull() {
        pointers.push_back(nullptr);
        return *this;
    }

    // The list as a host passes it; count defaults to the number of entries.
    const VstEvents* get() { return get(static_cast<VstInt32>(pointers.size())); }
    const VstEvents* get(VstInt32 count) {
        // Header (count and reserved word, one pointer size each) followed by the pointers.
        storage.assign(2 + pointers.size(), 0);
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = count;
        for (std::size_t i = 0; i < pointers.size(); ++i) {
            storage[2 + i] = reinterpret_cast<std::uintptr_t>(pointers[i]);
        }
        return list;
    }

private:
    std::vector<std::unique_ptr<VstMidiEvent>> owned;
    std::vector<VstEvent*> pointers;
    std::vector<std::uintptr_t> storage;
};
