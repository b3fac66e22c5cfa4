// A host callback that records every request and answers from a table, for
// tests that watch what a plug-in object asks of its host. The callback
// reports to the most recently constructed host still alive.
#pragma once

#include "platform/vstrecords.h"

#include <map>
#include <vector>

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
    RecordingHost() { current() = this; }
    ~RecordingHost() {
        if (current() == this) {
            current() = nullptr;
        }
    }

    // The callback to hand to a plug-in.
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
        RecordingHost* host = current();
        if (!host) {
            return 0;
        }
        host->requests.push_back({effect, opcode, index, value, ptr, opt});
        const auto it = host->answers.find(opcode);
        return it == host->answers.end() ? 0 : it->second;
    }

    // Every request since construction or clear(), in order.
    std::vector<HostRequest> requests;
    // Answers by opcode; 0 for an opcode not listed.
    std::map<VstInt32, VstIntPtr> answers;

    // Requests with this opcode.
    std::vector<HostRequest> withOpcode(VstInt32 opcode) const {
        std::vector<HostRequest> result;
        for (const HostRequest& request : requests) {
            if (request.opcode == opcode) {
                result.push_back(request);
            }
        }
        return result;
    }
    void clear() { requests.clear(); }

private:
    static RecordingHost*& current() {
        static RecordingHost* host = nullptr;
        return host;
    }
};
