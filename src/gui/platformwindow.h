#pragma once

#include "gui/cgeometry.h"
#include "gui/vstguibase.h"

#include <memory>

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

// One input event of a platform window, in window pixels.
struct PlatformEvent {
    enum Type { kNone, kExpose, kMouseDown, kMouseUp, kMouseMoved, kWheel, kParentDestroyed };
    Type type = kNone;
    CPoint where;
    int32 buttons = 0;    // CButton bits, the changing button included
    float distance = 0.f; // wheel notches, positive away from the user
};

// The frame's window on the display: a child of the host's window that shows
// the frame's off-screen image. The only code that knows the window system
// lives behind this interface. GUI thread only.
class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;

    // Opens a child window of the given size inside the host's window (an X11
    // window id passed as a pointer). Null when there is no display or the
    // parent cannot take a child; the window system's errors never reach the
    // host's error handler.
    static std::unique_ptr<PlatformWindow> create(void* parent, int32 width, int32 height);

    // The next pending event without waiting; false when there is none.
    virtual bool nextEvent(PlatformEvent& event) = 0;
    // Copies the image to the window and flushes. Does nothing before the
    // first expose or after the parent was destroyed.
    virtual void present(cairo_surface_t* image) = 0;
    // Resizes the child window.
    virtual void resize(int32 width, int32 height) = 0;
    // True once the window was first exposed (drawing before that is lost).
    virtual bool isExposed() const = 0;
    // False after the host destroyed the parent window.
    virtual bool isAlive() const = 0;
    // The child window's id (for tests that look at the real window).
    virtual unsigned long getWindowId() const = 0;
};

} // namespace VSTGUI
