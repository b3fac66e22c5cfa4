#pragma once

#include "gui/ccolor.h"
#include "gui/cview.h"

#include <vector>

namespace VSTGUI {

// A view with children, drawn in the order they were added (the last on top).
// Children's rectangles are relative to the container's top-left corner.
// GUI thread only.
class CViewContainer : public CView {
public:
    // The frame argument is accepted for compatibility: a container belongs to
    // a frame only once it is added to one (directly or through a parent).
    CViewContainer(const CRect& size, CFrame* pParent = nullptr, CBitmap* pBackground = nullptr);
    // Releases every child.
    ~CViewContainer() override;

    // Adds the view on top of the others. The container takes over the
    // caller's reference. False (and nothing changes) for null or a view that
    // already has a parent.
    virtual bool addView(CView* pView);
    // Inserts the view below 'before' (on top when before is not a child).
    virtual bool addView(CView* pView, CView* pBefore);
    // Takes the view out; with withForget it drops the container's reference
    // (deleting the view if nobody else holds one). False if not a child.
    virtual bool removeView(CView* pView, bool withForget = true);
    // Removes every child.
    virtual bool removeAll(bool withForget = true);
    // Moves a child to drawing position newIndex (0 is the bottom); an index
    // at or past the last position puts it on top. False if not a child.
    virtual bool changeViewZOrder(CView* pView, int32 newIndex);

    bool isChild(CView* pView) const;
    int32 getNbViews() const { return static_cast<int32>(m_children.size()); }
    // The child at drawing position index, or null.
    CView* getView(int32 index) const;

    void setBackgroundColor(const CColor& color);
    const CColor& getBackgroundColor() const { return m_backgroundColor; }

    void draw(CDrawContext* context) override;
    // Draws the background colour and bitmap over the container's rectangle.
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);

    // Offers a mouse-down or a wheel turn to the children under the pointer,
    // topmost first, until one handles it (positions are translated to the
    // children's coordinates); a child that answers not handled (or not
    // implemented) passes it on to the ones beneath. The child that handles a
    // mouse-down receives the moves and the mouse-up of that press wherever
    // the pointer goes.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;

    // Ends the gestures of every child; each is held meanwhile, as an end
    // edit may lead to views' release.
    void endGesture() override;
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

    // The child that took the current press, or null.
    CView* getMouseDownView() const { return m_pMouseDownView; }

protected:
    void clearMouseDownView();

    std::vector<CView*> m_children;
    CColor m_backgroundColor = kTransparentCColor;

private:
    // The visible, mouse-enabled children under the point (container
    // coordinates), topmost first, each with a reference the caller drops.
    std::vector<CView*> takeHitViews(const CPoint& where) const;

    CView* m_pMouseDownView = nullptr;
};

} // namespace VSTGUI
