#pragma once
// A host callback that answers like a minimal host and records every request
// the effect sends. The callback is a plain function, so the record is global;
// tests are single-threaded and reset it before each use.
#include <vector>

#include "host/AEffect.h"

struct HostRequest {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class RecordingHost {
public:
    // Forgets what was recorded and sets the answer to audioMasterVersion.
    static void reset(VstIntPtr versionAnswer = 2400);
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt);
    static const std::vector<HostRequest>& requests();
    static int count(VstInt32 opcode);
};
