#pragma once

#include "gui/cbaseobject.h"
#include "gui/cbitmap.h"
#include "gui/cgeometry.h"

namespace VSTGUI {

class CDrawContext;
class CFrame;
class CViewContainer;

namespace Animation {
class IAnimationTarget;
class ITimingFunction;
} // namespace Animation

// The base of every widget: a rectangle in its parent's coordinates, an
// optional background bitmap, a dirty flag and the mouse handlers.
// Mouse positions reach a view in its parent's coordinates, the same system
// as getViewSize(). All of it is GUI-thread only.
class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);
    ~CView() override;

    // Draws the view; the default draws the background bitmap over the view.
    virtual void draw(CDrawContext* context);
    // Draws only if the view is visible; containers call this for children.
    void drawView(CDrawContext* context);

    // Mouse handlers. The defaults answer kMouseEventNotImplemented.
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    // Wheel: distance is in notches, positive away from the user.
    virtual bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons);
    // True when the point (parent coordinates) hits this view.
    virtual bool hitTest(const CPoint& where) const { return m_size.pointInside(where); }

    const CRect& getViewSize() const { return m_size; }
    // Moves or resizes the view; with invalid true the window redraws.
    virtual void setViewSize(const CRect& rect, bool invalid = true);
    CCoord getWidth() const { return m_size.getWidth(); }
    CCoord getHeight() const { return m_size.getHeight(); }

    // The background bitmap; the view keeps its own reference, the caller's
    // stays the caller's. Null removes it.
    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return m_pBackground; }

    // Marks the view as needing a redraw; the window redraws at its next idle.
    virtual void setDirty(bool val = true);
    bool isDirty() const { return m_dirty; }
    // Asks for a redraw of the view's area at the next idle.
    virtual void invalid();

    void setMouseEnabled(bool enable) { m_mouseEnabled = enable; }
    bool getMouseEnabled() const { return m_mouseEnabled; }
    virtual void setVisible(bool visible);
    bool isVisible() const { return m_visible; }

    // Ends a gesture in progress on this view and its children (a control
    // closes its edit), with every view still in its place. The default has
    // none to end.
    virtual void endGesture() {}

    // Tree membership. attached/removed are called by the container.
    virtual bool attached(CView* parent);
    virtual bool removed(CView* parent);
    bool isAttached() const { return m_pParentView != nullptr; }
    CView* getParentView() const { return m_pParentView; }
    CFrame* getFrame() const { return m_pParentFrame; }

    // Starts an animation of this view under name, taking ownership of target
    // and timingFunction (and a reference to notificationObject, which is told
    // when it ends). A running animation of the same name on this view is
    // first finished at once. On a view that is not in a frame the animation
    // is finished at once.
    void addAnimation(IdStringPtr name, Animation::IAnimationTarget* target,
                      Animation::ITimingFunction* timingFunction,
                      CBaseObject* notificationObject = nullptr);
    // Finishes the named animation of this view now (nothing if none runs).
    void removeAnimation(IdStringPtr name);
    // Finishes every animation of this view now.
    void removeAllAnimations();

protected:
    friend class CViewContainer;
    void setParentView(CView* parent) { m_pParentView = parent; }
    void setParentFrame(CFrame* frame) { m_pParentFrame = frame; }
    // Stores value in a drawn property; the view is redrawn only when it changed.
    template <typename T> void setDrawnProperty(T& property, const T& value) {
        if (property != value) {
            property = value;
            setDirty(true);
        }
    }

    CRect m_size;

private:
    CBitmap* m_pBackground = nullptr;
    CView* m_pParentView = nullptr;
    CFrame* m_pParentFrame = nullptr;
    bool m_dirty = false;
    bool m_mouseEnabled = true;
    bool m_visible = true;
};

} // namespace VSTGUI
