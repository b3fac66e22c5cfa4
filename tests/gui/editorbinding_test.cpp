// The VST 2.4 editor binding: a plug-in object with a recording host and a
// small editor on the binding.
#include "../plugin/recording.h"
#include "gui/aeffguieditor.h"
#include "guitestsupport.h"

#include <cmath>
#include <thread>
#include <tuple>
#include <utility>

using namespace guitest;

namespace {

// The host: it logs the opcodes (version and idle apart) with the last index
// and value, may resize windows, runs onIdle inside its idle and onEndEdit
// inside the next end of an edit.
struct Host {
    std::vector<VstInt32> opcodes;
    std::pair<VstInt32, VstIntPtr> last;
    int idles = 0;
    bool canSizeWindow = true, sizeWindowAnswer = true;
    std::function<void()> onIdle, onEndEdit;
} g_host;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float) {
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterIdle)
        return ++g_host.idles, g_host.onIdle ? g_host.onIdle() : void(), 0;
    g_host.opcodes.push_back(opcode);
    g_host.last = {index, value};
    if (opcode == audioMasterEndEdit && g_host.onEndEdit)
        std::exchange(g_host.onEndEdit, nullptr)();
    if (opcode == audioMasterCanDo)
        return g_host.canSizeWindow && std::string(static_cast<char*>(ptr)) == "sizeWindow";
    return opcode == audioMasterSizeWindow && g_host.sizeWindowAnswer;
}

// Opens a 100 x 50 frame with a knob (tag 0) at 50..70 that automates its
// parameter, and shows values as the instrument's editor does: at once on the
// GUI thread (dropping an older waiting one), posted from any other thread.
struct TestEditor : AEffGUIEditor, CControlListener {
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect) {}
    bool open(void* ptr) override {
        AEffGUIEditor::open(ptr);
        frame = new CFrame(CRect(0, 0, 100, 50), ptr, this);
        frame->addView(knob = new CAnimKnob(CRect(50, 0, 70, 20), this, 0, 1, 20, nullptr));
        return true;
    }
    void valueChanged(CControl* control) override {
        effect->setParameterAutomated(control->getTag(), control->getValue());
    }
    void setParameter(VstInt32 index, float value) override {
        if (!isGuiThread())
            return void(postParameter(index, value));
        if (whileShowing)
            std::exchange(whileShowing, nullptr)();
        discardPostedParameter(index);
        knob->setValue(value);
    }
    CAnimKnob* knob = nullptr;
    std::function<void()> whileShowing;
};

TEST(EditorBinding, KnobGesturesResizesAndPostedValuesGoThroughTheHostWhichMayCloseAtIdle) {
    Host& host = g_host;
    auto* effect = new PlainEffect(hostCallback);
    auto* editor = new TestEditor(effect);
    editor->open(nullptr);
    // A drag, then the wheel at the last pointer position.
    const std::vector<VstInt32> edit{audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit};
    drag(editor->getFrame(), {CPoint(60, 10), CPoint(60, 10 - CAnimKnob::kDragRange / 2)});
    EXPECT_EQ(host.opcodes, edit);
    host.opcodes.clear();
    moveTo(editor->getFrame(), 60, 10, 0);
    EXPECT_FALSE(editor->onWheel(std::nanf("")));
    EXPECT_TRUE(editor->onWheel(-2.f));
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.3f);
    EXPECT_EQ(std::tuple(host.opcodes, host.last.first), std::tuple(edit, 0));
    moveTo(editor->getFrame(), 0, 0, 0);
    EXPECT_FALSE(editor->onWheel(1.f)) << "nothing at (0, 0) takes the wheel";
    VstKeyCode key{65, 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key) || editor->onKeyUp(key));
    // The frame resizes when the host can and does resize the window.
    for (const auto& [canDo, answer, resized] :
         {std::tuple{0, 1, false}, {1, 0, false}, {1, 1, true}}) {
        host.opcodes.clear();
        host.canSizeWindow = canDo;
        host.sizeWindowAnswer = answer;
        EXPECT_EQ(editor->getFrame()->setSize(200, 80), resized);
        EXPECT_EQ(host.opcodes.size(), canDo ? 2u : 1u);
    }
    EXPECT_EQ(host.last, (std::pair<VstInt32, VstIntPtr>(200, 80)));
    ERect* rect = nullptr;
    EXPECT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(std::tuple(rect->top, rect->left, rect->bottom, rect->right),
              std::tuple(0, 0, 80, 200));

    // Posted values show at idle, which lets the plug-in idle once.
    // Some hosts idle the editor from inside audioMasterIdle.
    host.onIdle = [&] { editor->idle(); };
    editor->idle(); // the idling thread is the GUI thread
    editor->idle();
    EXPECT_EQ(host.idles, 2);
    host.onIdle = nullptr;
    const auto fromAutomation = [&](float value) {
        std::thread([=] { editor->setParameter(0, value); }).join();
    };
    fromAutomation(0.25f);
    // The automation thread posts again while idle is showing the first value.
    editor->whileShowing = [&] { fromAutomation(0.75f); };
    editor->idle();
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.25f);
    editor->idle();
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.75f) << "the newer value was lost";
    // Some hosts close the plug-in inside audioMasterIdle.
    host.onIdle = [&] { delete std::exchange(effect, nullptr); };
    editor->idle();
    EXPECT_EQ(effect, nullptr);
    // Closing the window ends the knob's edit; the host, told so, closes the
    // plug-in and with it the editor that is still closing.
    editor = new TestEditor(effect = new PlainEffect(hostCallback));
    editor->open(nullptr);
    down(editor->getFrame(), 60, 10);
    host.onEndEdit = [&] { delete std::exchange(effect, nullptr); };
    editor->close();
    EXPECT_EQ(effect, nullptr);
}

TEST(ParameterInbox, DrainsTheLatestValueOfEachIndexOnceInIndexOrder) {
    ParameterInbox inbox;
    const int32 last = ParameterInbox::kCapacity - 1;
    // What arrives, and whether anything waited.
    const auto drain = [&] {
        std::string got = inbox.hasPending() ? "pending: " : "";
        const int32 n = inbox.drain([&](int32 i, float v) {
            got += std::to_string(i) + ":" + std::to_string(int(v * 10)) + " ";
        });
        return got + std::to_string(n) + " values";
    };
    for (const auto& [index, value] :
         {std::pair{5, 0.1f}, {2, 0.2f}, {5, 0.3f}, {last, 0.4f}, {1, 0.5f}})
        EXPECT_TRUE(inbox.post(index, value));
    EXPECT_FALSE(inbox.post(last + 1, 0.6f) || inbox.post(-1, 0.6f));
    for (const int32 index : {1, -1, last + 1}) // a discarded value never arrives
        inbox.discard(index);
    EXPECT_EQ(drain(), "pending: 2:2 5:3 63:4 3 values");
    EXPECT_EQ(drain(), "0 values") << "each value arrives once";
}

} // namespace
