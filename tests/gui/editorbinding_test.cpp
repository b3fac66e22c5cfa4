// The VST 2.4 editor binding: a plug-in object with a recording host and a
// small editor on the binding.
#include "gui/aeffguieditor.h"
#include "guitestsupport.h"
#include "plugin/audioeffectx.h"

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace VSTGUI;
using namespace guitest;

namespace {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    std::string text; // the request string of audioMasterCanDo
};

// One recording host per test at a time.
struct TestHost {
    static inline TestHost* current = nullptr;
    TestHost() { current = this; }
    ~TestHost() { current = nullptr; }

    static VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float) {
        TestHost* h = current;
        if (opcode == audioMasterVersion)
            return 2400;
        if (h == nullptr)
            return 0;
        h->calls.push_back({opcode, index, value,
                            opcode == audioMasterCanDo && ptr ? static_cast<char*>(ptr) : ""});
        if (opcode == audioMasterIdle && h->onIdle)
            h->onIdle();
        if (opcode == audioMasterCanDo)
            return h->canSizeWindow;
        return opcode == audioMasterSizeWindow ? h->sizeWindowAnswer : 0;
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

// Opens a 100 x 50 frame with a knob (tag 0) at 50..70.
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

    CAnimKnob* knob = nullptr;
};

struct EditorBinding : ::testing::Test {
    EditorBinding() {
        editor = new TestEditor(effect);
        editor->open(nullptr);
    }
    ~EditorBinding() override { delete effect; } // deletes the editor and its frame too

    TestHost host;
    TestEffect* effect = new TestEffect();
    TestEditor* editor;
};

TEST_F(EditorBinding, IdleLetsThePluginIdleOnceEvenWhenTheHostIdlesBack) {
    int nested = 0;
    host.onIdle = [&] {
        ++nested;
        editor->idle(); // some hosts idle the editor from inside audioMasterIdle
    };
    editor->idle();
    editor->idle();
    EXPECT_EQ(host.with(audioMasterIdle).size(), 2u);
    EXPECT_EQ(nested, 2);
}

TEST_F(EditorBinding, FrameResizeAsksTheHost) {
    CFrame* frame = editor->getFrame();
    const struct {
        VstIntPtr canDo, answer;
        bool resized;
    } cases[] = {{0, 1, false}, {1, 0, false}, {1, 1, true}};
    for (const auto& c : cases) {
        host.calls.clear();
        host.canSizeWindow = c.canDo;
        host.sizeWindowAnswer = c.answer;
        const CRect before = frame->getViewSize();
        EXPECT_EQ(frame->setSize(200, 80), c.resized);
        EXPECT_EQ(frame->getViewSize(), c.resized ? CRect(0, 0, 200, 80) : before);
        const auto canDo = host.with(audioMasterCanDo);
        ASSERT_EQ(canDo.size(), 1u);
        EXPECT_EQ(canDo[0].text, "sizeWindow");
        const auto sizes = host.with(audioMasterSizeWindow);
        ASSERT_EQ(sizes.size(), c.canDo ? 1u : 0u);
        if (!sizes.empty()) {
            EXPECT_EQ(sizes[0].index, 200);
            EXPECT_EQ(sizes[0].value, 80);
        }
    }
    ERect* rect = nullptr;
    EXPECT_TRUE(editor->getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 200);
    EXPECT_EQ(rect->bottom, 80);
}

TEST_F(EditorBinding, WheelGoesToTheViewUnderTheLastPointerAndKeysStayWithTheHost) {
    EXPECT_FALSE(editor->onWheel(1.f)) << "nothing at (0, 0) takes the wheel";
    moveTo(editor->getFrame(), 60, 10, 0);
    EXPECT_TRUE(editor->onWheel(2.f));
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.2f);
    EXPECT_EQ(host.with(audioMasterBeginEdit).size(), 1u);
    VstKeyCode key{65, 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key));
    EXPECT_FALSE(editor->onKeyUp(key));
}

// Shows values as the instrument's editor does: at once on the GUI thread,
// dropping an older waiting one, and posted from any other thread.
class ShowingEditor : public TestEditor {
public:
    using TestEditor::TestEditor;
    void setParameter(VstInt32 index, float value) override {
        if (!isGuiThread()) {
            postParameter(index, value);
            return;
        }
        if (whileShowing)
            std::exchange(whileShowing, nullptr)();
        discardPostedParameter(index);
        knob->setValue(value);
    }
    std::function<void()> whileShowing;
};

TEST(EditorBindingValues, AValuePostedWhileIdleShowsAWaitingOneIsShownNext) {
    TestHost host;
    auto* effect = new TestEffect();
    auto* editor = new ShowingEditor(effect);
    editor->open(nullptr);
    editor->idle(); // the idling thread is the GUI thread
    const auto fromAutomation = [editor](float value) {
        std::thread([=] { editor->setParameter(0, value); }).join();
    };

    fromAutomation(0.25f);
    // The automation thread posts again while idle is showing the first value.
    editor->whileShowing = [&] { fromAutomation(0.75f); };
    editor->idle();
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.25f);
    editor->idle();
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.75f) << "the newer value was lost";

    // A value shown at once on the GUI thread still drops an older waiting one.
    fromAutomation(0.5f);
    editor->setParameter(0, 0.1f);
    editor->idle();
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.1f);
    delete effect;
}

TEST(ParameterInbox, DrainsTheLatestValueOfEachIndexInIndexOrder) {
    using Values = std::vector<std::pair<int32, float>>;
    ParameterInbox inbox;
    Values got;
    const auto drain = [&] {
        got.clear();
        return inbox.drain([&](int32 i, float v) { got.emplace_back(i, v); });
    };
    EXPECT_EQ(drain(), 0);
    EXPECT_TRUE(inbox.post(5, 0.1f));
    EXPECT_TRUE(inbox.post(2, 0.2f));
    EXPECT_TRUE(inbox.post(5, 0.3f));
    EXPECT_TRUE(inbox.post(ParameterInbox::kCapacity - 1, 0.4f));
    EXPECT_FALSE(inbox.post(ParameterInbox::kCapacity, 0.5f));
    EXPECT_FALSE(inbox.post(-1, 0.5f));
    EXPECT_TRUE(inbox.hasPending());
    EXPECT_EQ(drain(), 3);
    EXPECT_EQ(got, (Values{{2, 0.2f}, {5, 0.3f}, {ParameterInbox::kCapacity - 1, 0.4f}}));
    EXPECT_FALSE(inbox.hasPending());
    EXPECT_EQ(drain(), 0) << "each value arrives once";

    // A discarded value never arrives; the others still do.
    inbox.post(1, 0.6f);
    inbox.post(3, 0.7f);
    inbox.discard(1);
    inbox.discard(-1);
    inbox.discard(ParameterInbox::kCapacity);
    EXPECT_EQ(drain(), 1);
    EXPECT_EQ(got, (Values{{3, 0.7f}}));
}

} // namespace
