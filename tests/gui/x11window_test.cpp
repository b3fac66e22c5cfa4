// The frame inside a real window, as a host shows it: this program plays the
// host (its own parent window, its own X error handler), xdotool plays the
// user, and the screenshot is taken by the X server's side.
#include "guitestsupport.h"

#include <cairo.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

// Xlib's macros (None, Bool) must come after the test framework's headers.
#include <X11/Xlib.h>

using namespace VSTGUI;
using namespace guitest;

namespace {

int g_hostErrors = 0;
int hostErrorHandler(Display*, XErrorEvent*) {
    ++g_hostErrors;
    return 0;
}

const CColor kBackground(20, 60, 140), kReleased(220, 40, 40), kPressed(40, 220, 40);

struct X11Host : ::testing::Test {
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display";
        display = XOpenDisplay(nullptr);
        if (display == nullptr)
            GTEST_SKIP() << "the X display cannot be opened";
        XSetErrorHandler(hostErrorHandler);
        g_hostErrors = 0;
    }
    void TearDown() override {
        if (frame != nullptr)
            frame->forget();
        if (display != nullptr) {
            XSync(display, False);
            EXPECT_EQ(g_hostErrors, 0) << "an X error reached the host's handler";
            XSetErrorHandler(nullptr);
            XCloseDisplay(display);
        }
    }

    // A mapped top-level window and a frame of the same size inside it.
    Window openFrame(int width, int height) {
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, 0, 0);
        XMapRaised(display, window);
        XSync(display, False);
        frame = new CFrame(CRect(0, 0, width, height), reinterpret_cast<void*>(window), &editor);
        return window;
    }

    // Idles the frame like a host (about 60 times a second) until done() or
    // the timeout.
    bool idleUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        for (int waited = 0; waited < timeoutMs; waited += 15) {
            frame->idle();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        return false;
    }
    void idleFor(int ms) {
        idleUntil([] { return false; }, ms);
    }

    Display* display = nullptr;
    CFrame* frame = nullptr;
    RecordingEditor editor;
};

CColor pixelOfPng(const std::string& path, int x, int y) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    CColor c(0, 0, 0, 0);
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(s);
        uint32_t argb;
        std::memcpy(&argb,
                    cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + 4 * x,
                    4);
        c = CColor((argb >> 16) & 0xff, (argb >> 8) & 0xff, argb & 0xff, argb >> 24);
    }
    cairo_surface_destroy(s);
    return c;
}

TEST_F(X11Host, AClickFromXdotoolReachesAButtonAndTheWindowShowsTheFrame) {
    const std::string window = std::to_string(openFrame(300, 200));
    ASSERT_TRUE(frame->isWindowOpen());
    frame->setBackgroundColor(kBackground);
    RecordingListener listener;
    CBitmap* strip = makeBitmap(100, 100, [](int, int y) { return y < 50 ? kReleased : kPressed; });
    frame->addView(new CKickButton(CRect(100, 50, 200, 100), &listener, 12345, strip));
    strip->forget();
    idleFor(300); // the first expose and drawing

    const std::string shot = std::string(GUI_TEST_OUTPUT_DIR) + "/x11window_test.png";
    std::remove(shot.c_str());
    ASSERT_EQ(std::system(("/usr/bin/import -window " + window + " " + shot).c_str()), 0);
    EXPECT_EQ(pixelOfPng(shot, 10, 10),
              CColor(kBackground.red, kBackground.green, kBackground.blue));
    EXPECT_EQ(pixelOfPng(shot, 150, 75), CColor(kReleased.red, kReleased.green, kReleased.blue));

    ASSERT_EQ(std::system(("xdotool mousemove --window " + window + " 150 75 click 1").c_str()), 0);
    EXPECT_TRUE(idleUntil([&] { return listener.values.size() >= 2; }))
        << "the click never reached the button";
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 12345", "end 12345"}));
}

TEST_F(X11Host, TheHostDestroyingItsWindowFirstIsSurvived) {
    const Window parent = openFrame(120, 80);
    ASSERT_TRUE(frame->isWindowOpen());
    idleFor(100);
    XDestroyWindow(display, parent);
    XSync(display, False);
    EXPECT_TRUE(idleUntil([this] { return !frame->isWindowOpen(); }));
    frame->addView(new CView(CRect(0, 0, 10, 10))); // and drawing goes on off-screen
    frame->idle();
}

TEST_F(X11Host, ParentsThatCannotTakeTheWindowLeaveTheFrameOffScreen) {
    frame =
        new CFrame(CRect(0, 0, 50, 50), reinterpret_cast<void*>(uintptr_t(0x7ffffff0)), &editor);
    EXPECT_FALSE(frame->isWindowOpen());
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), 1u);
}

} // namespace
