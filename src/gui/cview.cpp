#include "gui/cview.h"

#include "gui/animation.h"
#include "gui/animator.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"

namespace VSTGUI {

CView::CView(const CRect& size) : m_size(size) {}

CView::~CView() {
    if (m_pBackground != nullptr)
        m_pBackground->forget();
}

void CView::draw(CDrawContext* context) {
    if (m_pBackground != nullptr)
        m_pBackground->draw(context, m_size);
}

void CView::drawView(CDrawContext* context) {
    if (m_visible)
        draw(context);
    m_dirty = false;
}

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}

bool CView::onWheel(const CPoint&, const float&, const CButtonState&) {
    return false;
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
    if (rect == m_size)
        return;
    m_size = rect;
    if (invalidate)
        invalid();
}

void CView::setBackground(CBitmap* background) {
    if (background == m_pBackground)
        return;
    if (background != nullptr)
        background->remember();
    if (m_pBackground != nullptr)
        m_pBackground->forget();
    m_pBackground = background;
    setDirty(true);
}

void CView::setDirty(bool val) {
    m_dirty = val;
    if (val && m_pParentFrame != nullptr)
        m_pParentFrame->invalidate();
}

void CView::invalid() {
    if (m_pParentFrame != nullptr)
        m_pParentFrame->invalidate();
}

void CView::setVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    invalid();
}

bool CView::attached(CView* parent) {
    if (parent == nullptr)
        return false;
    m_pParentFrame = parent->getFrame();
    return true;
}

bool CView::removed(CView*) {
    if (m_pParentFrame == nullptr)
        return false;
    removeAllAnimations();
    m_pParentFrame = nullptr;
    return true;
}

void CView::addAnimation(IdStringPtr name, Animation::IAnimationTarget* target,
                         Animation::ITimingFunction* timingFunction,
                         CBaseObject* notificationObject) {
    if (m_pParentFrame != nullptr && m_pParentFrame->getAnimator() != nullptr) {
        m_pParentFrame->getAnimator()->addAnimation(
            this, name, target, timingFunction, notificationObject, m_pParentFrame->getTimeMs());
    } else {
        Animator::runAtOnce(this, name, target, timingFunction, notificationObject);
    }
}

void CView::removeAnimation(IdStringPtr name) {
    if (m_pParentFrame != nullptr && m_pParentFrame->getAnimator() != nullptr)
        m_pParentFrame->getAnimator()->removeAnimation(this, name);
}

void CView::removeAllAnimations() {
    if (m_pParentFrame != nullptr && m_pParentFrame->getAnimator() != nullptr)
        m_pParentFrame->getAnimator()->removeAnimations(this);
}

} // namespace VSTGUI
