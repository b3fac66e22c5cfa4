// The frame's window on an X11 display: the only code that knows Xlib.
#include "gui/platformwindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>

#include <atomic>
#include <mutex>

namespace VSTGUI {
namespace {

// Xlib's default error handler ends the whole process, and the process is the
// host: every request that can fail on a window we do not own runs with this
// trap's handler in place, and the host's handler comes back afterwards.
//
// Xlib keeps one handler for the whole process, and a host may run several
// editors on several GUI threads: one trap at a time holds the handler, from
// installing it to handing it back, and the others wait. Traps never nest on
// one thread, so a plain mutex does. Each editor's display is used by its own
// thread alone, so Xlib needs no XInitThreads for it (which a plug-in could
// not call early enough anyway); the handler is the only Xlib state shared.
// cairo swaps the handler too, as it sets up and closes a display: our
// surfaces are made and our displays closed inside a trap as well.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_hold(s_lock), m_display(display) {
        XSync(m_display, False); // earlier requests' errors are not this trap's
        // Another library's own swap on another thread may have left ours in
        // place: the handler saved before is then still the one to hand back.
        const XErrorHandler previous = XSetErrorHandler(handle);
        if (previous != handle)
            s_previous = previous;
        t_trap = this;
    }
    ~ErrorTrap() {
        t_trap = nullptr;
        XSetErrorHandler(s_previous);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server to answer everything sent so far; true when none
    // of it failed.
    bool ok() {
        XSync(m_display, False);
        return m_errors == 0;
    }

private:
    // An error of the trap's display reaches the handler on the trap's own
    // thread (the only one using that display); any other, such as one of
    // the host's own display on the host's thread, goes on to the handler the
    // trap replaced, as if no trap were there.
    static int handle(Display* display, XErrorEvent* event) {
        if (t_trap != nullptr && t_trap->m_display == display) {
            ++t_trap->m_errors;
            return 0;
        }
        // Null only while the first trap of all is being put in place.
        const XErrorHandler previous = s_previous;
        return previous != nullptr ? previous(display, event) : 0;
    }

    static inline std::mutex s_lock;
    static inline std::atomic<XErrorHandler> s_previous{nullptr};
    static inline thread_local ErrorTrap* t_trap = nullptr;
    std::lock_guard<std::mutex> m_hold;
    Display* m_display;
    int m_errors = 0;
};

int32 buttonBits(unsigned int state) {
    static constexpr struct {
        unsigned int mask;
        int32 bit;
    } kBits[] = {{Button1Mask, kLButton}, {Button2Mask, kMButton}, {Button3Mask, kRButton},
                 {ShiftMask, kShift},     {ControlMask, kControl}, {Mod1Mask, kAlt}};
    int32 bits = 0;
    for (const auto& b : kBits)
        bits |= (state & b.mask) ? b.bit : 0;
    return bits;
}

int32 bitOfButton(unsigned int button) {
    switch (button) {
    case Button1:
        return kLButton;
    case Button2:
        return kMButton;
    case Button3:
        return kRButton;
    default:
        return 0;
    }
}

class X11Window final : public PlatformWindow {
public:
    // Inside an error trap (cairo sets up the display).
    X11Window(Display* display, Window window, Visual* visual, int32 width, int32 height)
        : m_display(display), m_window(window),
          m_surface(cairo_xlib_surface_create(display, window, visual, width, height)) {}

    ~X11Window() override {
        ErrorTrap trap(m_display);
        // The surface talks to the display: it goes first.
        cairo_surface_destroy(m_surface);
        if (m_alive)
            XDestroyWindow(m_display, m_window);
        trap.ok();
        XCloseDisplay(m_display);
    }

    bool nextEvent(PlatformEvent& out) override {
        while (XPending(m_display) > 0) {
            XEvent ev;
            XNextEvent(m_display, &ev);
            if (translate(ev, out))
                return true;
        }
        return false;
    }

    void present(cairo_surface_t* image) override {
        if (!m_alive || !m_exposed || image == nullptr)
            return;
        ErrorTrap trap(m_display);
        cairo_t* cr = cairo_create(m_surface);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(m_surface);
        XFlush(m_display);
        if (!trap.ok())
            m_alive = false; // the window went away under us
    }

    void resize(int32 width, int32 height) override {
        if (!m_alive || width <= 0 || height <= 0)
            return;
        ErrorTrap trap(m_display);
        XResizeWindow(m_display, m_window, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        cairo_xlib_surface_set_size(m_surface, width, height);
        if (!trap.ok())
            m_alive = false;
    }

    bool isExposed() const override { return m_exposed; }
    bool isAlive() const override { return m_alive; }
    unsigned long getWindowId() const override { return m_window; }

private:
    bool translate(const XEvent& ev, PlatformEvent& out) {
        out = PlatformEvent();
        switch (ev.type) {
        case Expose:
            if (ev.xexpose.window != m_window || ev.xexpose.count != 0)
                return false;
            m_exposed = true;
            out.type = PlatformEvent::kExpose;
            return true;
        case ButtonPress: {
            out.where = CPoint(ev.xbutton.x, ev.xbutton.y);
            if (ev.xbutton.button == Button4 || ev.xbutton.button == Button5) {
                out.type = PlatformEvent::kWheel;
                out.distance = ev.xbutton.button == Button4 ? 1.f : -1.f;
                out.buttons = buttonBits(ev.xbutton.state);
                return true;
            }
            const int32 bit = bitOfButton(ev.xbutton.button);
            if (bit == 0)
                return false;
            out.type = PlatformEvent::kMouseDown;
            out.buttons = buttonBits(ev.xbutton.state) | bit;
            return true;
        }
        case ButtonRelease: {
            const int32 bit = bitOfButton(ev.xbutton.button);
            if (bit == 0)
                return false;
            out.type = PlatformEvent::kMouseUp;
            out.where = CPoint(ev.xbutton.x, ev.xbutton.y);
            out.buttons = buttonBits(ev.xbutton.state) | bit;
            return true;
        }
        case MotionNotify:
            out.type = PlatformEvent::kMouseMoved;
            out.where = CPoint(ev.xmotion.x, ev.xmotion.y);
            out.buttons = buttonBits(ev.xmotion.state);
            return true;
        case DestroyNotify:
            // Hosts may destroy their window before they close the editor.
            if (ev.xdestroywindow.window != m_window)
                return false;
            m_alive = false;
            out.type = PlatformEvent::kParentDestroyed;
            return true;
        default:
            return false;
        }
    }

    Display* m_display;
    Window m_window;
    cairo_surface_t* m_surface;
    bool m_exposed = false;
    bool m_alive = true;
};

} // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::create(void* parent, int32 width, int32 height) {
    if (parent == nullptr || width <= 0 || height <= 0)
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    const auto parentWindow = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
    const int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    ErrorTrap trap(display);
    // Parents with a 32-bit visual refuse a child that inherits theirs
    // (BadMatch): the child names the default visual, its depth and its
    // colormap explicitly.
    XSetWindowAttributes attributes{};
    attributes.colormap = DefaultColormap(display, screen);
    attributes.border_pixel = 0;
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            StructureNotifyMask;
    const Window window =
        XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, DefaultDepth(display, screen), InputOutput,
                      visual, CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
    XMapWindow(display, window);
    if (trap.ok())
        return std::make_unique<X11Window>(display, window, visual, width, height);
    if (window != 0) {
        XDestroyWindow(display, window);
        trap.ok();
    }
    XCloseDisplay(display);
    return nullptr;
}

} // namespace VSTGUI
