// The callback button in an off-screen window whose editor records the
// begin and end of each edit, in one log with what the callbacks do.

#include "editorhost.h"

#include "vstguieditor/callbackbutton.h"

#include <string>
#include <vector>

using namespace VSTGUI;
using Log = std::vector<std::string>;

namespace {

struct CallbackButtonTest : guitest::FrameTest {
    CallbackButtonTest() {
        button = new CallbackButton(CRect(10, 10, 60, 40), nullptr, [this] {
            editor.log.push_back("callback");
            valueDuringCallback = button->getValue();
        });
        frame->addView(button);
    }
    // A press at (30, 20), a move to the release point, the release.
    std::string press(CPoint up, int32 buttons = kLButton) {
        return printedBy([&] { guitest::drag(frame, {CPoint(30, 20), up}, buttons); });
    }

    CallbackButton* button = nullptr;
    float valueDuringCallback = -1.f;
};

TEST_F(CallbackButtonTest, ReleaseRunsTheCallbackInsideTheEditWhereverItHappens) {
    const struct {
        CPoint up;
        float pressedValue;
    } cases[] = {{CPoint(30, 20), 1.f}, {CPoint(10, 10), 1.f}, {CPoint(150, 90), 0.f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.up.x);
        editor.log.clear();
        EXPECT_EQ(press(c.up), "mouse button up!\n");
        EXPECT_EQ(editor.log, (Log{"begin 12345", "callback", "end 12345"}));
        // The button still looks pressed while the callback runs.
        EXPECT_EQ(valueDuringCallback, c.pressedValue);
        EXPECT_EQ(button->getValue(), 0.f);
    }
}

TEST_F(CallbackButtonTest, RightButtonRunsNothing) {
    EXPECT_EQ(press(CPoint(30, 20), kRButton), "");
    EXPECT_TRUE(editor.log.empty());
}

TEST_F(CallbackButtonTest, EmptyCallbackLeavesTheKickButtonsHandling) {
    auto* plain = new CallbackButton(CRect(100, 10, 150, 40), nullptr, nullptr);
    frame->addView(plain);
    EXPECT_EQ(plain->getTag(), CallbackButton::kTag);
    EXPECT_EQ(printedBy([&] { guitest::click(frame, 120, 20); }), "mouse button up!\n");
    EXPECT_EQ(editor.log, (Log{"begin 12345", "end 12345"}));
    EXPECT_EQ(plain->getValue(), 0.f);
}

} // namespace
