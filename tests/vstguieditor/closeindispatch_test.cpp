// A host that answers one of the editor's requests (update the display, begin
// or end an edit, automate) by closing the editor, or the whole plug-in: the
// request comes while the window still dispatches the click or the knob turn
// that caused it. Nothing may touch the freed window, views or editor
// afterwards (AddressSanitizer watches).
#include "editorhost.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <tuple>

// Xlib's macros (None, Bool) must come after the test framework's headers.
#include <X11/Xlib.h>

using namespace VSTGUI;

namespace {

// The off-screen host forgets the display; the real window needs it back.
const char* const kDisplay = std::getenv("DISPLAY");

// The plug-in closed with one opcode, the window off-screen or on the display.
struct CloseInDispatch : testing::TestWithParam<std::tuple<VstInt32, bool>> {};

TEST_P(CloseInDispatch, ClicksOnTheListAndTheNextButton) {
    const auto [closeWith, onDisplay] = GetParam();
    Display* display = onDisplay && kDisplay && setenv("DISPLAY", kDisplay, 1) == 0
                           ? XOpenDisplay(nullptr)
                           : nullptr;
    if (onDisplay && !display)
        GTEST_SKIP() << "no X display";
    for (const CPoint& at : {CPoint(40, 120), CPoint(410, 200)}) {
        EditorHost host;
        int closes = 0;
        host.onRequest = [&](VstInt32 opcode) {
            if (opcode == audioMasterUpdateDisplay && !closes++)
                closeWith == effClose ? host.closePlugin() : void(host.dispatch(effEditClose));
        };
        Window window = 0;
        if (display) {
            window =
                XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 578, 356, 0, 0, 0);
            XMapRaised(display, window);
            XSync(display, False);
        }
        ASSERT_EQ(host.openEditor(reinterpret_cast<void*>(window)), 1);
        // On the display: the click after the first expose and drawing.
        for (int ms = 0; display && ms < 3300 && !closes; ms += 15) {
            char click[96];
            std::snprintf(click, sizeof click, "xdotool mousemove --window %lu %d %d click 1",
                          window, int(at.x), int(at.y));
            if (ms == 300) {
                ASSERT_EQ(std::system(click), 0);
            }
            host.idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        if (!display) {
            guitest::down(host.frame(), at.x, at.y);
            if (!closes)
                guitest::up(host.frame(), at.x, at.y);
        }
        EXPECT_EQ(closes, 1) << "the click never reached the editor";
        if (host.effect()) {
            EXPECT_EQ(host.frame(), nullptr);
        }
        if (display)
            XDestroyWindow(display, window);
    }
    if (display)
        XCloseDisplay(display);
}

// The knob turned by the wheel and dragged, the next button clicked: the host
// closes at the gesture's begin edit, its automation (the knob's) or its end
// edit.
TEST(CloseInGesture, AtEachRequest) {
    const CPoint knob(320, 130), button(410, 200);
    enum Gesture { kWheel, kDrag, kClick };
    for (VstInt32 closeWith : {effEditClose, effClose})
        for (VstInt32 request : {audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit})
            for (Gesture gesture : {kWheel, kDrag, kClick}) {
                SCOPED_TRACE(testing::Message() << "close " << closeWith << " at request "
                                                << request << " in gesture " << gesture);
                EditorHost host;
                int closes = 0;
                host.onRequest = [&](VstInt32 opcode) {
                    if (opcode == request && !closes++)
                        closeWith == effClose ? host.closePlugin()
                                              : void(host.dispatch(effEditClose));
                };
                ASSERT_EQ(host.openEditor(), 1);
                // The test's own hold: the gesture goes on reaching the closed frame.
                CFrame* frame = host.frame();
                frame->remember();
                if (gesture == kWheel)
                    frame->onWheel(knob, 1.f, CButtonState());
                else if (gesture == kDrag)
                    guitest::drag(frame, {knob, CPoint(knob.x, knob.y - 50)});
                else
                    guitest::click(frame, button.x, button.y);
                frame->forget();
                EXPECT_EQ(closes, gesture == kClick && request == audioMasterAutomate ? 0 : 1);
            }
}

INSTANTIATE_TEST_SUITE_P(HostCloses, CloseInDispatch,
                         testing::Combine(testing::Values(effEditClose, effClose),
                                          testing::Values(false, true)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == effClose ? "ThePlugIn"
                                                                                    : "TheEditor") +
                                    (std::get<1>(info.param) ? "OnXvfb" : "OffScreen");
                         });

} // namespace
