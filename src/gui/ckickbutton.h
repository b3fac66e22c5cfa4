#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI {

// A momentary button drawn from a strip of two pictures, released above and
// pressed below, each as tall as the button unless given. A left-button press
// starts an edit; the button shows pressed (its maximum) while the pointer is
// over it, bounds included, and released (its minimum) elsewhere. The
// mouse-up, wherever it happens, reports the pressed value if the pointer was
// over the button, returns to the minimum, reports that, and ends the edit.
// Other buttons are not handled. GUI thread only.
class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, int32 tag, CBitmap* background,
                const CPoint& offset = CPoint(0, 0));
    CKickButton(const CRect& size, CControlListener* listener, int32 tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;

    CCoord getHeightOfOneImage() const { return m_heightOfOneImage; }
    void setHeightOfOneImage(CCoord height) { m_heightOfOneImage = height; }
    const CPoint& getOffset() const { return m_offset; }

protected:
    CPoint m_offset;
    CCoord m_heightOfOneImage;
};

} // namespace VSTGUI
