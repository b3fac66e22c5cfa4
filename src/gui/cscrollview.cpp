#include "gui/cscrollview.h"

#include "gui/cdrawcontext.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {
namespace {
// Keeps a long list's scroller big enough to grab.
constexpr CCoord kMinScrollerLength = 16;
} // namespace

CScrollbar::CScrollbar(const CRect& size, CScrollView* scrollView)
    : CView(size), m_scrollView(scrollView) {}

CRect CScrollbar::getScrollerRect() const {
    const CCoord track = m_size.getHeight();
    const CCoord content = m_scrollView->getContentHeight();
    const CCoord visible = m_scrollView->getVisibleArea().getHeight();
    CRect r = m_size;
    if (content <= visible || content <= 0)
        return r;
    const CCoord length = std::min(track, std::max(kMinScrollerLength, track * visible / content));
    const CCoord maxOffset = m_scrollView->getMaxScrollOffset();
    const CCoord top =
        m_size.top + (track - length) * (m_scrollView->getScrollOffset() / maxOffset);
    r.top = top;
    r.bottom = top + length;
    return r;
}

void CScrollbar::draw(CDrawContext* context) {
    context->setFillColor(m_backgroundColor);
    context->drawRect(m_size, kDrawFilled);
    CRect scroller = getScrollerRect();
    scroller.left += 2;
    scroller.right -= 2;
    scroller.top += 1;
    scroller.bottom -= 1;
    context->setFillColor(m_scrollerColor);
    context->drawRect(scroller, kDrawFilled);
    if (m_frameColor.alpha != 0) {
        context->setFrameColor(m_frameColor);
        context->drawRect(m_size, kDrawStroked);
    }
}

CMouseEventResult CScrollbar::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    const CRect scroller = getScrollerRect();
    if (where.y < scroller.top) {
        m_scrollView->setScrollOffset(m_scrollView->getScrollOffset() -
                                      m_scrollView->getVisibleArea().getHeight());
    } else if (where.y >= scroller.bottom) {
        m_scrollView->setScrollOffset(m_scrollView->getScrollOffset() +
                                      m_scrollView->getVisibleArea().getHeight());
    } else {
        m_dragging = true;
        m_dragStartY = where.y;
        m_dragStartOffset = m_scrollView->getScrollOffset();
    }
    return kMouseEventHandled;
}

CMouseEventResult CScrollbar::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!m_dragging || !buttons.isLeftButton())
        return kMouseEventHandled;
    const CCoord travel = m_size.getHeight() - getScrollerRect().getHeight();
    if (travel > 0) {
        const CCoord perPixel = m_scrollView->getMaxScrollOffset() / travel;
        m_scrollView->setScrollOffset(m_dragStartOffset + (where.y - m_dragStartY) * perPixel);
    }
    return kMouseEventHandled;
}

CMouseEventResult CScrollbar::onMouseUp(CPoint&, const CButtonState&) {
    m_dragging = false;
    return kMouseEventHandled;
}

CScrollView::CScrollView(const CRect& size, int32 style, CCoord scrollbarWidth,
                         CBitmap* pBackground)
    : CViewContainer(size, nullptr, pBackground), m_style(style),
      m_scrollbarWidth(std::max<CCoord>(0, std::min(scrollbarWidth, size.getWidth()))) {
    if (m_style & kVerticalScrollbar) {
        const CCoord w = size.getWidth();
        m_vsb = new CScrollbar(CRect(w - m_scrollbarWidth, 0, w, size.getHeight()), this);
        addView(m_vsb);
    }
}

CRect CScrollView::getVisibleArea() const {
    CRect r(0, 0, m_size.getWidth(), m_size.getHeight());
    if (m_vsb != nullptr)
        r.right -= m_scrollbarWidth;
    return r;
}

CCoord CScrollView::getMaxScrollOffset() const {
    return std::max<CCoord>(0, getContentHeight() - getVisibleArea().getHeight());
}

void CScrollView::setScrollOffset(CCoord offset) {
    // A NaN offset would survive the clamp and turn every row lookup into an
    // undefined conversion.
    if (std::isnan(offset))
        return;
    offset = std::clamp<CCoord>(offset, 0, getMaxScrollOffset());
    if (offset == m_scrollOffset)
        return;
    m_scrollOffset = offset;
    setDirty(true);
}

void CScrollView::makeRangeVisible(CCoord top, CCoord bottom) {
    const CCoord visible = getVisibleArea().getHeight();
    if (top < m_scrollOffset)
        setScrollOffset(top);
    else if (bottom > m_scrollOffset + visible)
        setScrollOffset(bottom - visible);
}

bool CScrollView::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) {
    if (CViewContainer::onWheel(where, distance, buttons))
        return true;
    setScrollOffset(m_scrollOffset - static_cast<CCoord>(distance) * getWheelStep());
    return true;
}

} // namespace VSTGUI
