// A host callback that records every request and answers from a table, for
// tests that watch what a plug-in object asks of its host.
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
    RecordingHost();
    ~RecordingHost();

    // The callback to hand to a plug-in; it reports to the current host.
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);

    // Every request since construction or clear(), in order.
    std::vector<HostRequest> requests;
    // Answers by opcode; 0 for an opcode not listed.
    std::map<VstInt32, VstIntPtr> answers;

    // Requests with this opcode.
    std::vector<HostRequest> withOpcode(VstInt32 opcode) const;
    void clear() { requests.clear(); }
};
