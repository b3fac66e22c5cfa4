#include "gui/canimknob.h"

#include "gui/cdrawcontext.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32 tag, int32 subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), m_subPixmaps(std::max(1, subPixmaps)),
      m_heightOfOneImage(heightOfOneImage), m_offset(offset) {}

int32 CAnimKnob::getCurrentFrame() const {
    const float range = getMax() - getMin();
    if (range <= 0.f)
        return 0;
    const float norm = std::clamp((getValue() - getMin()) / range, 0.f, 1.f);
    return static_cast<int32>(std::lround(norm * static_cast<float>(m_subPixmaps - 1)));
}

void CAnimKnob::draw(CDrawContext* context) {
    if (getBackground() == nullptr)
        return;
    CPoint where = m_offset;
    where.y += getCurrentFrame() * m_heightOfOneImage;
    getBackground()->draw(context, m_size, where);
}

CMouseEventResult CAnimKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEdit();
    m_dragging = true;
    m_dragStartY = where.y;
    m_dragStartValue = getValue();
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!m_dragging || !buttons.isLeftButton())
        return kMouseEventHandled;
    const float range = getMax() - getMin();
    const float delta = static_cast<float>((m_dragStartY - where.y) / kDragRange) * range;
    const float newValue = std::clamp(m_dragStartValue + delta, getMin(), getMax());
    if (newValue != m_value) {
        m_value = newValue;
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseUp(CPoint&, const CButtonState&) {
    if (m_dragging) {
        m_dragging = false;
        endEdit();
    }
    return kMouseEventHandled;
}

bool CAnimKnob::onWheel(const CPoint&, const float& distance, const CButtonState&) {
    if (std::isnan(distance))
        return false;
    const float newValue =
        std::clamp(m_value + distance * getWheelInc() * (getMax() - getMin()), getMin(), getMax());
    if (newValue != m_value) {
        m_value = newValue;
        invalid();
        beginEdit();
        valueChanged();
        endEdit();
    }
    return true;
}

} // namespace VSTGUI
