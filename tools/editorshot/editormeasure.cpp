#include "editormeasure.h"

#include "gui/animator.h"
#include "gui/cframe.h"
#include "plugin/audioeffect.h"
#include "vstguieditor/vstguieditor.h"

#include <cairo.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct OnScreen {
    Display* display;
    Window window;
    int width;
    int height;
};

// The window's pixels as the display shows them, as 0xRRGGBB values.
std::vector<std::uint32_t> grab(const OnScreen& s, int x, int y, int width, int height) {
    std::vector<std::uint32_t> pixels;
    XImage* image = XGetImage(s.display, s.window, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image) {
        return pixels;
    }
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, column, row)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return pixels;
}

// The frame's own picture of the window, as 0xRRGGBB values.
std::vector<std::uint32_t> framePicture(VSTGUI::CFrame* frame, int width, int height) {
    std::vector<std::uint32_t> pixels;
    cairo_surface_t* surface = frame->getBackBuffer();
    if (!surface) {
        return pixels;
    }
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < height; ++row) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(data + row * stride);
        for (int column = 0; column < width; ++column) {
            pixels.push_back(line[column] & 0xFFFFFF);
        }
    }
    return pixels;
}

void idle(AEffect* effect) {
    effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.f);
}

// Opens the editor and idles it every idleMs until the screen shows the
// frame's complete picture; the milliseconds that took, or -1.
double timeToFirstDrawing(AEffect* effect, VSTGuiEditor* editor, const OnScreen& s, double idleMs,
                          double* openMs = nullptr) {
    const Clock::time_point start = Clock::now();
    effect->dispatcher(effect, effEditOpen, 0, 0,
                       reinterpret_cast<void*>(static_cast<std::uintptr_t>(s.window)), 0.f);
    if (openMs) {
        *openMs = millisecondsSince(start);
    }
    VSTGUI::CFrame* frame = editor->getFrame();
    if (!frame) {
        return -1;
    }
    Clock::time_point nextIdle = start;
    while (millisecondsSince(start) < 5000) {
        std::this_thread::sleep_until(nextIdle);
        nextIdle += std::chrono::microseconds(static_cast<long>(idleMs * 1000));
        idle(effect);
        const auto wanted = framePicture(frame, s.width, s.height);
        if (!wanted.empty() && grab(s, 0, 0, s.width, s.height) == wanted) {
            return millisecondsSince(start);
        }
    }
    return -1;
}

// Changes program with the next button's operation, idling 30 times a
// second, and counts the different pictures of the bottle the screen shows
// until the exchange has ended. Frames per second over the exchange.
double animationFrameRate(AEffect* effect, VSTGuiEditor* editor, const OnScreen& s) {
    const int x = 209, y = 88, width = 162, height = 213;
    const auto period = std::chrono::microseconds(1000000 / 30);
    int frames = 0;
    int idles = 0;
    double elapsedMs = 0;
    for (int change = 0; change < 5; ++change) {
        idle(effect);
        std::vector<std::uint32_t> last = grab(s, x, y, width, height);
        Clock::time_point next = Clock::now();
        const Clock::time_point start = next;
        editor->nextProgram();
        bool running = true;
        while (running && millisecondsSince(start) < 2000) {
            next += period;
            std::this_thread::sleep_until(next);
            idle(effect);
            ++idles;
            running = editor->getFrame()->getAnimator()->hasAnimations();
            std::vector<std::uint32_t> now = grab(s, x, y, width, height);
            if (now != last) {
                ++frames;
                last = std::move(now);
            }
        }
        elapsedMs += millisecondsSince(start);
    }
    std::printf("bottle exchange: %d new pictures on screen in %d idles over %.0f ms\n", frames,
                idles, elapsedMs);
    return elapsedMs > 0 ? frames * 1000.0 / elapsedMs : 0;
}

} // namespace

bool measureEditor(AEffect* effect) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "editorshot: --measure needs a display (DISPLAY)\n");
        return false;
    }
    auto* plugin = static_cast<AudioEffect*>(effect->object);
    auto* editor = static_cast<VSTGuiEditor*>(plugin->getEditor());
    ERect* rect = nullptr;
    effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.f);
    OnScreen s{display, 0, rect->right - rect->left, rect->bottom - rect->top};
    s.window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0,
                                   static_cast<unsigned>(s.width), static_cast<unsigned>(s.height),
                                   0, 0, 0);
    XSelectInput(display, s.window, StructureNotifyMask);
    XMapWindow(display, s.window);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            break;
        }
    }

    bool ok = true;
    for (double idleMs : {1.0, 1000.0 / 30}) {
        double total = 0;
        double openTotal = 0;
        const int rounds = 5;
        for (int round = 0; round < rounds && ok; ++round) {
            double openMs = 0;
            const double ms = timeToFirstDrawing(effect, editor, s, idleMs, &openMs);
            effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.f);
            ok = ms >= 0;
            total += ms;
            openTotal += openMs;
        }
        if (ok) {
            std::printf("first complete drawing after effEditOpen: %.1f ms, of which effEditOpen "
                        "itself %.1f ms (idled every %.1f ms, mean of %d)\n",
                        total / rounds, openTotal / rounds, idleMs, rounds);
        }
    }
    if (ok) {
        ok = timeToFirstDrawing(effect, editor, s, 1000.0 / 30) >= 0;
    }
    if (ok) {
        std::printf("bottle animation at 30 idles per second: %.1f frames per second\n",
                    animationFrameRate(effect, editor, s));
    }
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.f);
    XDestroyWindow(display, s.window);
    XCloseDisplay(display);
    if (!ok) {
        std::fprintf(stderr, "editorshot: the window never showed the editor's picture\n");
    }
    return ok;
}
