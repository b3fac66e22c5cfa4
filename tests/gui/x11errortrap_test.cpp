// Two editors opening their windows at once on two GUI threads, as a host
// with two instances of the plug-in does, one of them into a window that does
// not exist. Each editor keeps its own window system's
// errors to itself; the host's own errors still reach the host's handler.
// Also run under ThreadSanitizer.
#include "gui/platformwindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <tuple>
#include <utility>

// Xlib's macros (None, Bool) must come after the test framework's headers.
#include <X11/Xlib.h>

namespace {

Display* g_host = nullptr;          // the host's own display
std::atomic<int> g_hostErrors{0};   // errors of the host's display
std::atomic<int> g_editorErrors{0}; // errors of an editor's display that got out
int hostHandler(Display* display, XErrorEvent*) {
    ++(display == g_host ? g_hostErrors : g_editorErrors);
    return 0;
}

TEST(X11ErrorTrap, TwoEditorsOpeningAtOnceKeepTheirErrorsApartFromEachOtherAndTheHost) {
    g_host = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (g_host == nullptr)
        GTEST_SKIP() << "no X display";
    const Window root = DefaultRootWindow(g_host);
    const Window parent = XCreateSimpleWindow(g_host, root, 0, 0, 300, 200, 0, 0, 0);
    const Window missing = XCreateSimpleWindow(g_host, root, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(g_host, missing);
    XMapWindow(g_host, parent);
    XSync(g_host, False);

    // A host with a handler of its own makes errors on its display meanwhile
    // and must see each of them; there both editors open into missing
    // windows, as cairo's own handler, in place for a moment while cairo sets
    // up and closes a real window's display, would take a host's error made
    // then. A host without a handler ends on the first error that reaches
    // Xlib's default one.
    constexpr int kOpens = 150;
    for (const auto& [handler, secondInto] : {std::pair{true, missing}, {false, parent}}) {
        SCOPED_TRACE(handler ? "the host's own handler, erring" : "Xlib's default handler");
        XSetErrorHandler(handler ? hostHandler : nullptr);
        g_hostErrors = g_editorErrors = 0;
        // Both editors start together; the host errs until both are done.
        std::atomic<int> started{0}, finished{0};
        std::atomic<int> windowsInMissing{0}, failedInReal{0}, notAChild{0};
        const auto editor = [&](Window into) {
            return std::thread([&, into] {
                // Looks at the windows through a display of this thread's own.
                Display* look = XOpenDisplay(nullptr);
                for (++started; started < 2;) {
                }
                for (int i = 0; i < kOpens; ++i) {
                    auto window =
                        VSTGUI::PlatformWindow::create(reinterpret_cast<void*>(into), 40, 30);
                    if (into == missing) {
                        windowsInMissing += window != nullptr;
                        continue;
                    }
                    if (!window) {
                        ++failedInReal;
                        continue;
                    }
                    Window r, p, *children = nullptr;
                    unsigned int n = 0;
                    XQueryTree(look, parent, &r, &p, &children, &n);
                    notAChild +=
                        std::find(children, children + n, window->getWindowId()) == children + n;
                    XFree(children);
                }
                XCloseDisplay(look);
                ++finished;
            });
        };
        std::thread editors[] = {editor(missing), editor(secondInto)};
        int hostErrorsMade = 0;
        for (; handler && finished < 2; ++hostErrorsMade) {
            XMapWindow(g_host, missing);
            XSync(g_host, False);
        }
        for (std::thread& thread : editors)
            thread.join();
        // Windows opened into the missing one, failed opens into the real one
        // (of kOpens), windows no child of the real one, editors' errors that
        // reached the host's handler, and the host's own errors it saw.
        EXPECT_EQ(std::tuple(windowsInMissing.load(), failedInReal.load(), notAChild.load(),
                             g_editorErrors.load(), g_hostErrors.load()),
                  std::tuple(0, 0, 0, 0, hostErrorsMade));
    }
    XSetErrorHandler(nullptr);
    XCloseDisplay(g_host);
}

} // namespace
