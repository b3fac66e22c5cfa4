#include "gui/ckickbutton.h"

#include "gui/cdrawcontext.h"

namespace VSTGUI {

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32 tag,
                         CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, size.getHeight(), background, offset) {}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32 tag,
                         CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), m_offset(offset),
      m_heightOfOneImage(heightOfOneImage) {}

void CKickButton::draw(CDrawContext* context) {
    if (getBackground() == nullptr)
        return;
    CPoint where = m_offset;
    if (getValue() >= getMax())
        where.y += m_heightOfOneImage;
    getBackground()->draw(context, m_size, where);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (buttons.isLeftButton()) {
        // Bounds included: a press on the last pixel row still shows pressed.
        const bool over = where.x >= m_size.left && where.x <= m_size.right &&
                          where.y >= m_size.top && where.y <= m_size.bottom;
        const float newValue = over ? getMax() : getMin();
        if (newValue != m_value) {
            m_value = newValue;
            invalid();
        }
    }
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const CButtonState&) {
    if (m_value != getMin())
        valueChanged();
    m_value = getMin();
    valueChanged();
    invalid();
    endEdit();
    return kMouseEventHandled;
}

} // namespace VSTGUI
