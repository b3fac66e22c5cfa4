// A host that answers one of the editor's requests (begin or end an edit,
// automate, update the display, resize, idle) by closing the editor or the
// whole plug-in, or by opening the editor again: the request comes while the
// window still dispatches the gesture that caused it, or while the window
// closes. Nothing may touch the freed window, views or editor afterwards
// (AddressSanitizer watches), and a window opened again must work.
#include "editorhost.h"

#include <chrono>
#include <cstdlib>
#include <thread>
#include <tuple>

// Xlib's macros (None, Bool) must come after the test framework's headers.
#include <X11/Xlib.h>

using namespace VSTGUI;

namespace {

const CPoint kKnob(320, 130), kNextButton(410, 200), kListRow(40, 120);
// Every control that holds a gesture while pressed: the knob, the previous and
// next buttons, the logo and the seven category buttons.
const std::vector<CPoint> kHeldControls = {kKnob,      {170, 200}, kNextButton, {500, 15},
                                           {510, 108}, {510, 137}, {510, 166},  {510, 195},
                                           {510, 224}, {510, 253}, {510, 282}};
// The off-screen host forgets the display; the real window needs it back.
const char* const kDisplay = std::getenv("DISPLAY");

// After the host's answer: the window is closed, or the one opened again
// works (a list row chosen shows its bottle).
void expectClosedOrWorking(EditorHost& host, bool reopened) {
    if (!host.effect())
        return;
    ASSERT_EQ(host.frame() != nullptr, reopened);
    if (reopened) {
        EXPECT_EQ(host.frame()->getNbViews(), 16);
        guitest::click(host.frame(), kListRow.x, kListRow.y);
        EXPECT_GT(host.editor()->getProgramBrowser()->getSelectedRow(), 0);
        EXPECT_NE(host.editor()->getBottleView(), nullptr);
    }
}

// Off-screen, each request of each gesture: a knob dragged or turned by the
// wheel, the next button, a list row, the help overlay, each control held while
// the host closes the window, opens it again or closes the plug-in (the edit
// ends inside that, and the host may also let it pass), each control held while
// the wheel turns the knob and the host closes the window inside the knob's
// begin edit (two edits end as the window closes), a resize, an idle.
TEST(CloseInGesture, EachRequestAnsweredByEachClosingOrOpening) {
    enum Gesture { kDrag, kButton, kList, kHelp, kWheel, kHeld, kHeldAndWheel, kResize, kIdle };
    const VstInt32 begin = audioMasterBeginEdit, end = audioMasterEndEdit;
    const std::tuple<Gesture, VstInt32, std::vector<VstInt32>> rows[] = {
        {kDrag, 0, {begin, audioMasterAutomate, end}},
        {kButton, 0, {begin, audioMasterUpdateDisplay, end}},
        {kList, 0, {audioMasterUpdateDisplay}},
        {kHelp, 0, {begin, end}},
        {kWheel, 0, {begin, audioMasterAutomate, end}},
        {kHeld, effEditClose, {end}},
        {kHeld, effEditOpen, {end}},
        {kHeld, effClose, {end}},
        {kHeldAndWheel, effEditClose, {end}},
        {kResize, 0, {audioMasterCanDo, audioMasterSizeWindow}},
        {kIdle, 0, {audioMasterIdle}}};
    for (const auto& [gesture, hostAct, requests] : rows)
        for (const CPoint& at : gesture == kHeld || gesture == kHeldAndWheel
                                    ? kHeldControls
                                    : std::vector<CPoint>{kKnob})
            for (VstInt32 request : requests)
                for (VstInt32 answer : {0, +effEditClose, +effClose, +effEditOpen}) {
                    // A plug-in is closed once; only a held control's end may pass;
                    // a knob held is in its edit already when the wheel turns it.
                    if ((hostAct == effClose && answer == effClose) || (!answer && !hostAct) ||
                        (gesture == kHeldAndWheel && at.x == kKnob.x && at.y == kKnob.y))
                        continue;
                    SCOPED_TRACE(testing::Message()
                                 << "gesture " << gesture << " at " << at.x << "," << at.y
                                 << " request " << request << " answer " << answer);
                    EditorHost host;
                    int answers = 0, begins = 0;
                    host.onRequest = [&](VstInt32 opcode) {
                        if (gesture == kHeldAndWheel && opcode == begin && begins++ == 1)
                            host.act(hostAct);
                        else if (opcode == request && !answers++ && answer)
                            host.act(answer);
                    };
                    ASSERT_EQ(host.openEditor(), 1);
                    CFrame* frame = host.frame();
                    {
                        // The test's own hold, where the gesture goes on reaching
                        // the closed frame, until the gesture is done.
                        CBaseObjectGuard hold(gesture <= kHelp ? frame : nullptr);
                        if (gesture == kDrag)
                            guitest::drag(frame, {kKnob, CPoint(kKnob.x, kKnob.y - 50)});
                        else if (gesture == kButton || gesture == kList)
                            guitest::click(frame, gesture == kList ? kListRow.x : kNextButton.x,
                                           gesture == kList ? kListRow.y : kNextButton.y);
                        else if (gesture == kHelp)
                            host.editor()->showHelp(), guitest::click(frame, 274, 100);
                        else if (gesture == kWheel)
                            frame->onWheel(kKnob, 1.f, CButtonState());
                        else if (gesture == kResize)
                            EXPECT_FALSE(frame->setSize(600, 400)) << "the window is gone";
                        else if (gesture == kIdle)
                            host.idle();
                        else if (gesture == kHeld)
                            guitest::down(frame, at.x, at.y), host.act(hostAct);
                        else
                            guitest::down(frame, at.x, at.y),
                                frame->onWheel(kKnob, 1.f, CButtonState());
                    }
                    // Two edits end as the window closes; the second reaches a host
                    // that kept the plug-in.
                    EXPECT_EQ(answers, gesture == kHeldAndWheel && answer != effClose ? 2 : 1);
                    expectClosedOrWorking(host, answer == effEditOpen || hostAct == effEditOpen);
                }
}

// The same in a real window on the display, pressed with xdotool as a user
// would: a list row and the next button answered at the display update, and
// each control held while the host closes the window, answered at the end of
// its edit.
TEST(CloseInDispatch, OnTheDisplay) {
    Display* display = nullptr;
    // Xvfb starts afresh when its last client leaves, refusing clients meanwhile.
    for (int tries = 0; kDisplay && !display && tries < 100; ++tries)
        if (setenv("DISPLAY", kDisplay, 1) != 0 || !(display = XOpenDisplay(nullptr)))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!display)
        GTEST_SKIP() << "no X display";
    // Each click with each answer; each held control with one of them in turn.
    const VstInt32 hostAnswers[] = {effEditClose, effClose, effEditOpen};
    std::vector<std::tuple<CPoint, bool, VstInt32>> presses;
    for (const VstInt32 answer : hostAnswers)
        presses.insert(presses.end(), {{kListRow, false, answer}, {kNextButton, false, answer}});
    for (std::size_t i = 0; i < kHeldControls.size(); ++i)
        presses.emplace_back(kHeldControls[i], true, hostAnswers[i % 3]);
    for (const auto& [at, held, answer] : presses) {
        SCOPED_TRACE(testing::Message() << "answer " << answer << " at " << at.x << "," << at.y
                                        << (held ? " held" : ""));
        EditorHost host;
        Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 578, 356, 0, 0, 0);
        XMapRaised(display, window);
        XSync(display, False);
        int answers = 0;
        const VstInt32 request = held ? audioMasterEndEdit : audioMasterUpdateDisplay;
        host.onRequest = [&](VstInt32 opcode) {
            if (opcode == request && !answers++)
                host.act(answer, reinterpret_cast<void*>(window));
        };
        ASSERT_EQ(host.openEditor(reinterpret_cast<void*>(window)), 1);
        // The press after the first expose and drawing.
        for (int ms = 0; ms < 3300 && !answers; ms += 15) {
            char command[96];
            std::snprintf(command, sizeof command, "xdotool mousemove --window %lu %d %d %s 1",
                          window, int(at.x), int(at.y), held ? "mousedown" : "click");
            ASSERT_TRUE(ms != 300 || std::system(command) == 0) << command;
            host.idle();
            if (held && !host.takeCalls().empty())
                host.dispatch(effEditClose);
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        EXPECT_EQ(answers, 1) << "the press never reached the editor";
        ASSERT_TRUE(!held || std::system("xdotool mouseup 1") == 0);
        expectClosedOrWorking(host, answer == effEditOpen);
        XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
}

} // namespace
