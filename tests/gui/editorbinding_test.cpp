#include "editorbinding_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace VSTGUI;
using namespace guitest;

namespace guitest {
TestHost* TestHost::current = nullptr;
}

namespace {

struct EditorBinding : ::testing::Test {
    EditorBinding() { editor = new TestEditor(effect); }
    ~EditorBinding() override { delete effect; } // deletes the editor too

    TestHost host;
    TestEffect* effect = new TestEffect();
    TestEditor* editor;
};

TEST_F(EditorBinding, ConstructionRegistersTheEditorWithThePlugin) {
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_NE(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST_F(EditorBinding, ControlGesturesReachTheHostWithTheControlsTag) {
    editor->open(nullptr);
    click(editor->getFrame(), 10, 10);
    CPoint down(60, 10), move(60, 0), up(60, 0);
    editor->getFrame()->onMouseDown(down, kLButton);
    editor->getFrame()->onMouseMoved(move, kLButton);
    editor->getFrame()->onMouseUp(up, kLButton);
    std::vector<std::pair<VstInt32, VstInt32>> edits;
    for (const HostCall& c : host.calls)
        if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterEndEdit)
            edits.emplace_back(c.opcode, c.index);
    EXPECT_EQ(edits, (std::vector<std::pair<VstInt32, VstInt32>>{{audioMasterBeginEdit, 12345},
                                                                 {audioMasterEndEdit, 12345},
                                                                 {audioMasterBeginEdit, 0},
                                                                 {audioMasterEndEdit, 0}}));
}

TEST_F(EditorBinding, IdleLetsThePluginIdleOnceEvenWhenTheHostIdlesBack) {
    editor->open(nullptr);
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
    editor->open(nullptr);
    CFrame* frame = editor->getFrame();
    struct Case {
        VstIntPtr canDo, answer;
        CCoord width, height;
        bool resized;
        size_t sizeRequests;
    };
    const Case cases[] = {
        {0, 1, 200, 80, false, 0}, {1, 0, 200, 80, false, 1}, {1, 1, 200, 80, true, 1}};
    for (const Case& c : cases) {
        host.calls.clear();
        host.canSizeWindow = c.canDo;
        host.sizeWindowAnswer = c.answer;
        const CRect before = frame->getViewSize();
        EXPECT_EQ(frame->setSize(c.width, c.height), c.resized);
        EXPECT_EQ(frame->getViewSize(), c.resized ? CRect(0, 0, c.width, c.height) : before);
        const auto canDo = host.with(audioMasterCanDo);
        ASSERT_EQ(canDo.size(), 1u);
        EXPECT_EQ(canDo[0].text, "sizeWindow");
        const auto sizes = host.with(audioMasterSizeWindow);
        ASSERT_EQ(sizes.size(), c.sizeRequests);
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

TEST_F(EditorBinding, WheelGoesToTheViewUnderTheLastPointerPosition) {
    editor->open(nullptr);
    EXPECT_FALSE(editor->onWheel(1.f)) << "nothing at (0, 0) takes the wheel";
    CPoint over(60, 10);
    editor->getFrame()->onMouseMoved(over, 0);
    EXPECT_TRUE(editor->onWheel(2.f));
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.2f);
    EXPECT_EQ(host.with(audioMasterBeginEdit).size(), 1u);
}

TEST_F(EditorBinding, KeysStayWithTheHostAndTheKnobModeIsKept) {
    VstKeyCode key{65, 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key));
    EXPECT_FALSE(editor->onKeyUp(key));
    EXPECT_TRUE(editor->setKnobMode(2));
    EXPECT_EQ(editor->getKnobMode(), 2);
}

TEST_F(EditorBinding, CloseReleasesTheFrameAndAnOpenFrameDiesWithTheEditor) {
    editor->open(nullptr);
    EXPECT_EQ(ProbeView::alive, 1);
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(ProbeView::alive, 0);
    editor->close(); // nothing to close
    editor->idle();  // and nothing to idle
    editor->open(nullptr);
    EXPECT_EQ(ProbeView::alive, 1);
    // The fixture deletes the plug-in, and with it the editor, window open.
}

TEST_F(EditorBinding, ParameterValuesFromAnotherThreadArriveAtTheNextIdle) {
    editor->open(nullptr);
    std::thread automation([this] {
        EXPECT_FALSE(editor->isGuiThreadPublic());
        for (int i = 1; i <= 100; ++i)
            editor->setParameter(0, static_cast<float>(i) / 100.f);
        EXPECT_FALSE(editor->postParameter(ParameterInbox::kCapacity, 1.f));
        EXPECT_FALSE(editor->postParameter(-1, 1.f));
    });
    automation.join();
    EXPECT_TRUE(editor->isGuiThreadPublic());
    EXPECT_TRUE(editor->applied.empty()) << "no view touched off the GUI thread";
    EXPECT_EQ(editor->knob->getValue(), 0.f);
    editor->idle();
    EXPECT_EQ(editor->applied, (std::vector<std::pair<VstInt32, float>>{{0, 1.f}}));
    EXPECT_EQ(editor->knob->getValue(), 1.f);
    editor->idle();
    EXPECT_EQ(editor->applied.size(), 1u) << "each value is applied once";
}

TEST(ParameterInbox, DrainsTheLatestValueOfEachIndexInIndexOrder) {
    ParameterInbox inbox;
    EXPECT_EQ(inbox.drain([](int32, float) { FAIL(); }), 0);
    EXPECT_TRUE(inbox.post(5, 0.1f));
    EXPECT_TRUE(inbox.post(2, 0.2f));
    EXPECT_TRUE(inbox.post(5, 0.3f));
    EXPECT_TRUE(inbox.post(ParameterInbox::kCapacity - 1, 0.4f));
    EXPECT_FALSE(inbox.post(ParameterInbox::kCapacity, 0.5f));
    EXPECT_TRUE(inbox.hasPending());
    std::vector<std::pair<int32, float>> got;
    EXPECT_EQ(inbox.drain([&](int32 i, float v) { got.emplace_back(i, v); }), 3);
    EXPECT_EQ(got, (std::vector<std::pair<int32, float>>{
                       {2, 0.2f}, {5, 0.3f}, {ParameterInbox::kCapacity - 1, 0.4f}}));
    EXPECT_FALSE(inbox.hasPending());

    // A discarded value never arrives; the others still do.
    inbox.post(1, 0.6f);
    inbox.post(3, 0.7f);
    inbox.discard(1);
    inbox.discard(-1);
    inbox.discard(ParameterInbox::kCapacity);
    got.clear();
    EXPECT_EQ(inbox.drain([&](int32 i, float v) { got.emplace_back(i, v); }), 1);
    EXPECT_EQ(got, (std::vector<std::pair<int32, float>>{{3, 0.7f}}));
}

} // namespace
