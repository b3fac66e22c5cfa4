#pragma once

#include "gui/cviewcontainer.h"

#include <cstdint>
#include <functional>
#include <memory>

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

class Animator;
class PlatformWindow;
class VSTGUIEditorInterface;

// The window: the root container of an editor. It draws the whole tree into
// an off-screen image at each idle that finds something dirty and, when it
// was opened inside a host window, copies that image to its own child window.
// Without a parent window (or without a display) it stays off-screen, which is
// how tests and picture tools use it. GUI thread only.
class CFrame : public CViewContainer {
public:
    // A frame of that size for the editor; with a non-null system window (an
    // X11 window id) it opens its own child window inside it at once.
    CFrame(const CRect& size, void* pSystemWindow, VSTGUIEditorInterface* pEditor);
    // An off-screen frame; open() may give it a window later.
    CFrame(const CRect& size, VSTGUIEditorInterface* pEditor);
    // Ends every gesture and releases every view, then closes the window.
    ~CFrame() override;

    // The editor is done with its window: ends every gesture in progress (the
    // host hears its end edit), forgets the editor, then releases every view,
    // closes the window and drops the editor's reference. The host may answer
    // an end edit by deleting the editor; nothing after it reaches the editor.
    // A frame that is dispatching an event at that moment (a view's handler
    // led the host to close the editor) lives on until the event is done,
    // handling and drawing nothing more.
    void close();
    bool isClosed() const { return m_closed; }

    // Opens a child window inside the host's window. False when there is no
    // display or the parent is unusable: the frame then stays off-screen.
    // Opening again first closes the old window.
    bool open(void* pSystemWindow);
    // True while a child window on a display exists and the host has not
    // destroyed its parent.
    bool isWindowOpen() const;
    // The parent window last handed to open, or null.
    void* getSystemWindow() const { return m_pSystemWindow; }
    // The editor, or null once the frame let it go or the editor was deleted.
    VSTGUIEditorInterface* getEditor() const {
        return m_editorLifetime.expired() ? nullptr : m_pEditor;
    }
    // True once the editor this frame was made for has been deleted. It owns
    // what the views report to (the controls' listeners): they tell no one.
    bool lostEditor() const { return m_madeForEditor && m_editorLifetime.expired(); }

    // Resizes the frame. The editor is asked first (it asks the host); when it
    // refuses, or the host closes the frame meanwhile, nothing changes and the
    // result is false.
    bool setSize(CCoord width, CCoord height);

    // One turn of the GUI loop: handles the window's pending events without
    // waiting, advances the animations by the clock, and redraws when any view
    // is dirty (on screen only after the window was first exposed).
    void idle();

    // Marks the whole frame for redraw at the next idle.
    void invalidate();
    // True when something has asked for a redraw since the last one.
    bool needsRedraw() const { return m_needsRedraw; }
    // Draws the whole tree into the off-screen image now.
    void render();
    // The off-screen image (ARGB32, premultiplied), drawn by the last render.
    cairo_surface_t* getBackBuffer() const { return m_backBuffer; }
    // The colour of one pixel of the last render (unpremultiplied); transparent
    // black outside the frame.
    CColor getPixel(int32 x, int32 y) const;
    // The off-screen image, drawn again first if anything changed since the
    // last render: what a picture of the window is taken from.
    cairo_surface_t* renderedImage();
    // How many times the tree was drawn (tells tests whether idle redrew).
    uint32 getRenderCount() const { return m_renderCount; }

    // The clock animations run on, in milliseconds of a monotonic clock. Tests
    // replace it to step time by hand.
    void setTimeSource(std::function<uint64_t()> clock);
    uint64_t getTimeMs() const;
    Animator* getAnimator() const { return m_animator.get(); }

    // The last pointer position seen (the host's wheel calls carry none).
    const CPoint& getLastMousePosition() const { return m_lastMouse; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;

    void setDirty(bool val = true) override;
    void invalid() override { invalidate(); }
    void draw(CDrawContext* context) override;

private:
    // Ends every gesture, forgets the editor, then removes every view.
    void releaseViews();
    void allocateBackBuffer();
    void processWindowEvents();

    void* m_pSystemWindow = nullptr;
    VSTGUIEditorInterface* m_pEditor;
    std::weak_ptr<const void> m_editorLifetime;
    bool m_madeForEditor;
    std::unique_ptr<PlatformWindow> m_window;
    std::unique_ptr<Animator> m_animator;
    std::function<uint64_t()> m_clock;
    cairo_surface_t* m_backBuffer = nullptr;
    CPoint m_lastMouse;
    bool m_needsRedraw = true;
    bool m_presentPending = false;
    uint32 m_renderCount = 0;
    bool m_closed = false;
};

} // namespace VSTGUI
