// Test doubles shared by the linked-in shell tests: a plug-in with nothing
// of its own, and a host callback that records the requests it gets.
#pragma once

#include "plugin/audioeffectx.h"

#include <map>
#include <vector>

struct PlainEffect : AudioEffectX {
    explicit PlainEffect(audioMasterCallback host = nullptr) : AudioEffectX(host, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

// Each host starts empty; the callback answers by opcode (0 for any opcode
// not listed). One host at a time.
struct RecordingHost {
    struct Request {
        AEffect* effect;
        VstInt32 opcode, index;
        VstIntPtr value;
        void* ptr;
        float opt;
    };
    RecordingHost() {
        requests.clear();
        answers.clear();
    }
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
        requests.push_back({effect, opcode, index, value, ptr, opt});
        return answers[opcode];
    }
    static inline std::vector<Request> requests;
    static inline std::map<VstInt32, VstIntPtr> answers;
};
