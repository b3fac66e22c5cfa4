#include "recordinghost.h"

namespace {
RecordingHost* g_current = nullptr;
}

RecordingHost::RecordingHost() {
    g_current = this;
}

RecordingHost::~RecordingHost() {
    if (g_current == this) {
        g_current = nullptr;
    }
}

VstIntPtr RecordingHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt) {
    if (!g_current) {
        return 0;
    }
    g_current->requests.push_back({effect, opcode, index, value, ptr, opt});
    const auto it = g_current->answers.find(opcode);
    return it == g_current->answers.end() ? 0 : it->second;
}

std::vector<HostRequest> RecordingHost::withOpcode(VstInt32 opcode) const {
    std::vector<HostRequest> result;
    for (const HostRequest& request : requests) {
        if (request.opcode == opcode) {
            result.push_back(request);
        }
    }
    return result;
}
