// A plug-in object with a recording host and a small editor on the binding,
// for the tests of the VST 2.4 editor binding.
#pragma once

#include "gui/aeffguieditor.h"
#include "guitestsupport.h"
#include "plugin/audioeffectx.h"

#include <string>
#include <utility>
#include <vector>

namespace guitest {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    std::string text; // the request string of audioMasterCanDo
};

// One recording host per test at a time.
struct TestHost {
    static TestHost* current;
    TestHost() { current = this; }
    ~TestHost() { current = nullptr; }

    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float) {
        TestHost* h = current;
        if (h == nullptr)
            return 0;
        if (opcode == audioMasterVersion)
            return 2400;
        h->calls.push_back({opcode, index, value,
                            opcode == audioMasterCanDo && ptr ? static_cast<char*>(ptr) : ""});
        if (opcode == audioMasterIdle && h->onIdle)
            h->onIdle();
        if (opcode == audioMasterCanDo)
            return h->canSizeWindow;
        if (opcode == audioMasterSizeWindow)
            return h->sizeWindowAnswer;
        return 0;
    }

    std::vector<HostCall> with(VstInt32 opcode) const {
        std::vector<HostCall> out;
        for (const HostCall& c : calls)
            if (c.opcode == opcode)
                out.push_back(c);
        return out;
    }

    std::vector<HostCall> calls;
    VstIntPtr canSizeWindow = 1;
    VstIntPtr sizeWindowAnswer = 1;
    std::function<void()> onIdle;
};

class TestEffect : public AudioEffectX {
public:
    TestEffect() : AudioEffectX(TestHost::callback, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

// Opens a 100 x 50 frame with a knob (tag 0) at 50..70; parameter values it
// receives on the GUI thread are kept, others wait for the next idle.
class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}

    bool open(void* ptr) override {
        AEffGUIEditor::open(ptr);
        frame = new CFrame(CRect(0, 0, 100, 50), ptr, this);
        knob = new CAnimKnob(CRect(50, 0, 70, 20), nullptr, 0, 1, 20, nullptr);
        frame->addView(knob);
        return true;
    }
    void setParameter(VstInt32 index, float value) override {
        if (!isGuiThread()) {
            postParameter(index, value);
            return;
        }
        applied.emplace_back(index, value);
        if (frame != nullptr && index == 0)
            knob->setValue(value);
    }

    CAnimKnob* knob = nullptr;
    std::vector<std::pair<VstInt32, float>> applied;
};

} // namespace guitest
