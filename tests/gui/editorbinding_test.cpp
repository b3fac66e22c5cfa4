#include "editorbinding_support.h"

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
    editor->open(nullptr);
    EXPECT_FALSE(editor->onWheel(1.f)) << "nothing at (0, 0) takes the wheel";
    moveTo(editor->getFrame(), 60, 10, 0);
    EXPECT_TRUE(editor->onWheel(2.f));
    EXPECT_FLOAT_EQ(editor->knob->getValue(), 0.2f);
    EXPECT_EQ(host.with(audioMasterBeginEdit).size(), 1u);
    VstKeyCode key{65, 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key));
    EXPECT_FALSE(editor->onKeyUp(key));
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
    EXPECT_TRUE(inbox.hasPending());
    EXPECT_EQ(drain(), 3);
    EXPECT_EQ(got, (Values{{2, 0.2f}, {5, 0.3f}, {ParameterInbox::kCapacity - 1, 0.4f}}));
    EXPECT_FALSE(inbox.hasPending());

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
