#include "tests/module/RecordingHost.h"

#include <algorithm>

namespace {

std::vector<HostRequest> recorded;
VstIntPtr versionAnswer = 2400;

}  // namespace

void RecordingHost::reset(VstIntPtr answer) {
    recorded.clear();
    versionAnswer = answer;
}

VstIntPtr VSTCALLBACK RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                              void* ptr, float opt) {
    recorded.push_back({effect, opcode, index, value, ptr, opt});
    return opcode == audioMasterVersion ? versionAnswer : 0;
}

const std::vector<HostRequest>& RecordingHost::requests() {
    return recorded;
}

int RecordingHost::count(VstInt32 opcode) {
    return static_cast<int>(
        std::count_if(recorded.begin(), recorded.end(), [opcode](const HostRequest& r) { return r.opcode == opcode; }));
}
