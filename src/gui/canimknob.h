#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI {

// A knob drawn from a film strip of subPixmaps pictures, each heightOfOneImage
// tall, stacked from the minimum (top) to the maximum (bottom). A left-button
// drag changes the value with the vertical distance (up increases; the full
// range takes kDragRange pixels) between a begin and an end edit; each change
// tells the listener. The wheel steps the value by the wheel increment per
// notch, bracketed by begin/end edit. GUI thread only.
class CAnimKnob : public CControl {
public:
    static constexpr CCoord kDragRange = 200;

    CAnimKnob(const CRect& size, CControlListener* listener, int32 tag, int32 subPixmaps,
              CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;

    int32 getNumSubPixmaps() const { return m_subPixmaps; }
    CCoord getHeightOfOneImage() const { return m_heightOfOneImage; }
    // The film-strip picture the current value shows, 0 to subPixmaps - 1.
    int32 getCurrentFrame() const;

private:
    int32 m_subPixmaps;
    CCoord m_heightOfOneImage;
    CPoint m_offset;
    bool m_dragging = false;
    CCoord m_dragStartY = 0;
    float m_dragStartValue = 0.f;
};

} // namespace VSTGUI
