// The frame inside a real window, as a host shows it: this program plays the
// host (its own parent window, its own X error handler), and the picture is
// read back from the X server. Clicks in a real window are the editor's tests'
// (tests/vstguieditor: closeindispatch_test, editor_x11_test).
#include "guitestsupport.h"

#include <chrono>
#include <cstdlib>
#include <thread>

// Xlib's macros (None, Bool) must come after the test framework's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace guitest;

namespace {

int g_hostErrors = 0;

TEST(X11Host, TheWindowShowsTheFrameAndOutlivesItsParent) {
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr)
        GTEST_SKIP() << "no X display";
    XSetErrorHandler([](Display*, XErrorEvent*) { return ++g_hostErrors, 0; });
    RecordingEditor editor;
    // A parent that cannot take the window leaves the frame off-screen.
    CFrame* frame =
        new CFrame(CRect(0, 0, 50, 50), reinterpret_cast<void*>(uintptr_t(0x7ffffff0)), &editor);
    EXPECT_FALSE(frame->isWindowOpen());
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), 1u);
    frame->forget();
    const Window parent =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 200, 0, 0, 0);
    XMapRaised(display, parent);
    XSync(display, False);
    frame = new CFrame(CRect(0, 0, 300, 200), reinterpret_cast<void*>(parent), &editor);
    // Idles the frame like a host (about 60 times a second) until done() or
    // the timeout.
    const auto idleUntil = [&](const std::function<bool()>& done, int timeoutMs = 3000) {
        for (int waited = 0; waited < timeoutMs; waited += 15) {
            frame->idle();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        return false;
    };
    ASSERT_TRUE(frame->isWindowOpen());
    const CColor background(20, 60, 140), released(220, 40, 40);
    frame->setBackgroundColor(background);
    CBitmap* strip = makeBitmap(100, 100, [&](int, int) { return released; });
    frame->addView(new CKickButton(CRect(100, 50, 200, 100), &editor, 12345, strip));
    strip->forget();
    idleUntil([] { return false; }, 300); // the first expose and drawing

    XImage* shot = XGetImage(display, parent, 0, 0, 300, 200, AllPlanes, ZPixmap);
    ASSERT_NE(shot, nullptr);
    const auto rgb = [](CColor c) { return (c.red << 16) | (c.green << 8) | c.blue; };
    EXPECT_EQ(XGetPixel(shot, 10, 10), rgb(background));
    EXPECT_EQ(XGetPixel(shot, 150, 75), rgb(released));
    XDestroyImage(shot);

    // Hosts may destroy their window before they close the editor; drawing
    // then goes on off-screen.
    frame->forget();
    frame = new CFrame(CRect(0, 0, 300, 200), reinterpret_cast<void*>(parent), &editor);
    XDestroyWindow(display, parent);
    XSync(display, False);
    EXPECT_TRUE(idleUntil([&] { return !frame->isWindowOpen(); }));
    frame->addView(new CView(CRect(0, 0, 10, 10)));
    frame->idle();
    frame->forget();
    XSync(display, False);
    EXPECT_EQ(g_hostErrors, 0) << "an X error reached the host's handler";
    XSetErrorHandler(nullptr);
    XCloseDisplay(display);
}

} // namespace
