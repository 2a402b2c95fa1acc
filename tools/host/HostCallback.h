#pragma once
// The host side of the callback every module is given: answers the requests a
// generic host answers and keeps what the module tells us (edits, automation).
#include "host/AEffect.h"

#include <atomic>

// Per-instance answers and records; its address is kept in the effect record's
// host-reserved word so the callback can find it.
struct HostContext {
    std::atomic<float> sampleRate{44100.0f};
    std::atomic<VstInt32> blockSize{512};
    std::atomic<int> beginEdits{0};
    std::atomic<int> endEdits{0};
    std::atomic<int> automations{0};
    std::atomic<int> wantMidi{0};
};

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt);

// Binds an effect record to its context (the host-reserved resvd1 word).
void attachHostContext(AEffect* effect, HostContext* context);
