// The callback button in an off-screen window whose editor records the
// begin and end of each edit.

#include "gui/aeffguieditor.h"
#include "gui/cframe.h"
#include "vstguieditor/callbackbutton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace VSTGUI;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

// Records the edits the frame passes to its editor, in one log with what the
// callbacks do.
class RecordingEditor : public VSTGUIEditorInterface {
public:
    void beginEdit(int32 index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(int32 index) override { log.push_back("end " + std::to_string(index)); }
    std::vector<std::string> log;
};

class CallbackButtonTest : public testing::Test {
protected:
    void SetUp() override {
        frame = new CFrame(CRect(0, 0, 200, 100), &editor);
        button = new CallbackButton(CRect(10, 10, 60, 40), nullptr, [this] {
            editor.log.push_back("callback");
            valueDuringCallback = button->getValue();
        });
        frame->addView(button);
    }
    void TearDown() override { frame->forget(); }
    std::string press(CPoint down, CPoint up, int32 buttons = kLButton) {
        CaptureStdout();
        frame->onMouseDown(down, CButtonState(buttons));
        frame->onMouseUp(up, CButtonState(buttons));
        return GetCapturedStdout();
    }

    RecordingEditor editor;
    CFrame* frame = nullptr;
    CallbackButton* button = nullptr;
    float valueDuringCallback = -1.f;
};

TEST_F(CallbackButtonTest, ReleaseRunsTheCallbackInsideTheEditWhereverItHappens) {
    const struct {
        const char* what;
        CPoint up;
        float pressedValue;
    } cases[] = {{"inside", CPoint(30, 20), 1.f},
                 {"on the edge", CPoint(10, 10), 1.f},
                 {"outside", CPoint(150, 90), 0.f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        editor.log.clear();
        CaptureStdout();
        CPoint down(30, 20);
        frame->onMouseDown(down, CButtonState(kLButton));
        CPoint up = c.up;
        frame->onMouseMoved(up, CButtonState(kLButton));
        frame->onMouseUp(up, CButtonState(kLButton));
        EXPECT_EQ(GetCapturedStdout(), "mouse button up!\n");
        const std::vector<std::string> want = {"begin 12345", "callback", "end 12345"};
        EXPECT_EQ(editor.log, want);
        // The button still looks pressed while the callback runs.
        EXPECT_EQ(valueDuringCallback, c.pressedValue);
        EXPECT_EQ(button->getValue(), 0.f);
    }
}

TEST_F(CallbackButtonTest, RightButtonRunsNothing) {
    EXPECT_EQ(press(CPoint(30, 20), CPoint(30, 20), kRButton), "");
    EXPECT_TRUE(editor.log.empty());
}

TEST_F(CallbackButtonTest, EmptyCallbackLeavesTheKickButtonsHandling) {
    auto* plain = new CallbackButton(CRect(100, 10, 150, 40), nullptr, nullptr);
    frame->addView(plain);
    EXPECT_EQ(plain->getTag(), CallbackButton::kTag);
    EXPECT_EQ(press(CPoint(120, 20), CPoint(120, 20)), "mouse button up!\n");
    const std::vector<std::string> want = {"begin 12345", "end 12345"};
    EXPECT_EQ(editor.log, want);
    EXPECT_EQ(plain->getValue(), 0.f);
}

} // namespace
