#pragma once

#include "gui/cviewcontainer.h"

namespace VSTGUI {

class CScrollView;

// The vertical scroll bar of a scroll view: a track with a scroller whose
// length shows the visible share of the content. Dragging the scroller or
// clicking the track (a page) scrolls. GUI thread only.
class CScrollbar : public CView {
public:
    CScrollbar(const CRect& size, CScrollView* scrollView);

    void setScrollerColor(const CColor& color) { setDrawnProperty(m_scrollerColor, color); }
    const CColor& getScrollerColor() const { return m_scrollerColor; }
    void setBackgroundColor(const CColor& color) { setDrawnProperty(m_backgroundColor, color); }
    const CColor& getBackgroundColor() const { return m_backgroundColor; }
    void setFrameColor(const CColor& color) { setDrawnProperty(m_frameColor, color); }
    const CColor& getFrameColor() const { return m_frameColor; }
    // The scroller's rectangle in the scroll bar's parent coordinates.
    CRect getScrollerRect() const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

private:
    CScrollView* m_scrollView;
    CColor m_scrollerColor = CColor(90, 90, 90, 255);
    CColor m_backgroundColor = CColor(255, 255, 255, 48);
    CColor m_frameColor = CColor(0, 0, 0, 0);
    bool m_dragging = false;
    CCoord m_dragStartY = 0;
    CCoord m_dragStartOffset = 0;
};

// A container whose content is taller than its view and scrolls vertically.
// With kVerticalScrollbar the scroll bar takes scrollbarWidth pixels at the
// right edge. Derived classes say how tall the content is. GUI thread only.
class CScrollView : public CViewContainer {
public:
    enum CScrollViewStyle : int32 {
        kHorizontalScrollbar = 1 << 1,
        kVerticalScrollbar = 1 << 2,
        kDontDrawFrame = 1 << 3,
    };

    CScrollView(const CRect& size, int32 style, CCoord scrollbarWidth = 16,
                CBitmap* pBackground = nullptr);

    // The vertical scroll bar, or null without kVerticalScrollbar.
    CScrollbar* getVerticalScrollbar() const { return m_vsb; }
    int32 getStyle() const { return m_style; }
    CCoord getScrollbarWidth() const { return m_scrollbarWidth; }

    // How far the content is scrolled up, 0 to getMaxScrollOffset().
    CCoord getScrollOffset() const { return m_scrollOffset; }
    // Scrolls to offset, clamped to the content; redraws when it moved. A
    // NaN offset changes nothing.
    void setScrollOffset(CCoord offset);
    CCoord getMaxScrollOffset() const;
    // The content's height; the default is the view's own height.
    virtual CCoord getContentHeight() const { return m_size.getHeight(); }
    // The part of the view the content shows in (local coordinates): the view
    // without its scroll bar.
    CRect getVisibleArea() const;
    // Scrolls as little as needed to show the content lines top to bottom.
    void makeRangeVisible(CCoord top, CCoord bottom);

    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    // The distance one wheel notch scrolls.
    virtual CCoord getWheelStep() const { return 16; }

private:
    int32 m_style;
    CCoord m_scrollbarWidth;
    CScrollbar* m_vsb = nullptr;
    CCoord m_scrollOffset = 0;
};

} // namespace VSTGUI
