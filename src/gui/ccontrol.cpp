#include "gui/ccontrol.h"

#include "gui/cframe.h"
#include "gui/vstguieditorinterface.h"

#include <cmath>

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* listener, int32 tag, CBitmap* pBackground)
    : CView(size), m_listener(listener), m_tag(tag) {
    if (pBackground != nullptr)
        setBackground(pBackground);
}

CControl::~CControl() = default;

void CControl::setValue(float val) {
    if (std::isnan(val))
        return;
    if (val < m_vmin)
        val = m_vmin;
    if (val > m_vmax)
        val = m_vmax;
    if (val == m_value)
        return;
    m_value = val;
    setDirty(true);
}

void CControl::bounceValue() {
    if (m_value > m_vmax)
        m_value = m_vmax;
    else if (m_value < m_vmin)
        m_value = m_vmin;
}

void CControl::valueChanged() {
    // A control taken out of its window in the middle of a gesture (the host
    // closed it from inside the gesture's begin edit) tells no one any more:
    // its listener may have gone with the window.
    if (m_listener != nullptr && isAttached() && !editorLost())
        m_listener->valueChanged(this);
}

bool CControl::editorLost() const {
    return getFrame() != nullptr && getFrame()->lostEditor();
}

void CControl::beginEdit() {
    if (m_editing++ > 0 || editorLost())
        return;
    if (m_listener != nullptr)
        m_listener->controlBeginEdit(this);
    if (getFrame() != nullptr && getFrame()->getEditor() != nullptr)
        getFrame()->getEditor()->beginEdit(m_tag);
}

void CControl::endEdit() {
    if (m_editing == 0 || --m_editing > 0 || editorLost())
        return;
    // The host's request last: the host may close the window, or delete the
    // plug-in and with it the listener, from inside it.
    if (m_listener != nullptr)
        m_listener->controlEndEdit(this);
    if (getFrame() != nullptr && getFrame()->getEditor() != nullptr)
        getFrame()->getEditor()->endEdit(m_tag);
}

void CControl::endGesture() {
    if (m_editing > 0) {
        m_editing = 1;
        endEdit();
    }
}

bool CControl::removed(CView* parent) {
    // A control taken away in the middle of a gesture still closes it, so the
    // host never waits for an end edit that cannot come.
    endGesture();
    return CView::removed(parent);
}

} // namespace VSTGUI
