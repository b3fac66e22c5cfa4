#include "gui/cviewcontainer.h"

#include "gui/cdrawcontext.h"

#include <algorithm>

namespace VSTGUI {

CViewContainer::CViewContainer(const CRect& size, CFrame*, CBitmap* pBackground) : CView(size) {
    if (pBackground != nullptr)
        setBackground(pBackground);
}

CViewContainer::~CViewContainer() {
    clearMouseDownView();
    removeAll(true);
}

bool CViewContainer::addView(CView* pView) {
    return addView(pView, nullptr);
}

bool CViewContainer::addView(CView* pView, CView* pBefore) {
    if (pView == nullptr || pView == this || pView->getParentView() != nullptr)
        return false;
    auto position = std::find(m_children.begin(), m_children.end(), pBefore);
    m_children.insert(position, pView);
    pView->setParentView(this);
    if (getFrame() != nullptr)
        pView->attached(this);
    invalid();
    return true;
}

bool CViewContainer::removeView(CView* pView, bool withForget) {
    auto it = std::find(m_children.begin(), m_children.end(), pView);
    if (it == m_children.end())
        return false;
    m_children.erase(it);
    if (pView == m_pMouseDownView)
        clearMouseDownView();
    // Detaching may run code of the view (its animations end), so it comes
    // after the view left the list.
    if (pView->getFrame() != nullptr)
        pView->removed(this);
    pView->setParentView(nullptr);
    invalid();
    if (withForget)
        pView->forget();
    return true;
}

bool CViewContainer::removeAll(bool withForget) {
    while (!m_children.empty())
        removeView(m_children.back(), withForget);
    return true;
}

bool CViewContainer::changeViewZOrder(CView* pView, int32 newIndex) {
    auto it = std::find(m_children.begin(), m_children.end(), pView);
    if (it == m_children.end() || newIndex < 0)
        return false;
    m_children.erase(it);
    const auto index = std::min(static_cast<std::size_t>(newIndex), m_children.size());
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), pView);
    invalid();
    return true;
}

bool CViewContainer::isChild(CView* pView) const {
    return std::find(m_children.begin(), m_children.end(), pView) != m_children.end();
}

CView* CViewContainer::getView(int32 index) const {
    if (index < 0 || index >= getNbViews())
        return nullptr;
    return m_children[static_cast<std::size_t>(index)];
}

void CViewContainer::setBackgroundColor(const CColor& color) {
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    setDirty(true);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect) {
    if (m_backgroundColor.alpha != 0) {
        context->setFillColor(m_backgroundColor);
        context->drawRect(rect, kDrawFilled);
    }
    if (getBackground() != nullptr)
        getBackground()->draw(context, rect);
}

void CViewContainer::draw(CDrawContext* context) {
    drawBackgroundRect(context, m_size);
    context->saveGlobalState();
    context->offset(m_size.left, m_size.top);
    context->clipRect(CRect(0, 0, m_size.getWidth(), m_size.getHeight()));
    for (CView* child : m_children)
        child->drawView(context);
    context->restoreGlobalState();
}

void CViewContainer::clearMouseDownView() {
    if (m_pMouseDownView != nullptr) {
        CView* v = m_pMouseDownView;
        m_pMouseDownView = nullptr;
        v->forget();
    }
}

std::vector<CView*> CViewContainer::takeHitViews(const CPoint& where) const {
    std::vector<CView*> hit;
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* v = *it;
        if (v->isVisible() && v->getMouseEnabled() && v->hitTest(where)) {
            v->remember();
            hit.push_back(v);
        }
    }
    return hit;
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
    // A handler may lead to this container's release (the host closing the
    // window from inside a click): it stays alive until the event is done.
    const CBaseObjectGuard self(this);
    CPoint local(where.x - m_size.left, where.y - m_size.top);
    // A view that does not take the press (a picture, a right click on a
    // button) leaves it to the views beneath it. Each hit view is held while
    // the others handle the event, as a handler may remove views.
    const std::vector<CView*> hit = takeHitViews(local);
    CMouseEventResult result = kMouseEventNotHandled;
    for (CView* v : hit) {
        if (result != kMouseEventNotHandled || !isChild(v))
            continue;
        CPoint p = local;
        const CMouseEventResult answer = v->onMouseDown(p, buttons);
        if (answer == kMouseEventNotHandled || answer == kMouseEventNotImplemented)
            continue;
        result = answer;
        if (answer == kMouseEventHandled && isChild(v)) {
            clearMouseDownView();
            v->remember();
            m_pMouseDownView = v;
        }
    }
    for (CView* v : hit)
        v->forget();
    return result;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons) {
    CView* v = m_pMouseDownView;
    if (v == nullptr)
        return kMouseEventNotHandled;
    const CBaseObjectGuard self(this);
    m_pMouseDownView = nullptr;
    CPoint local(where.x - m_size.left, where.y - m_size.top);
    CMouseEventResult result = v->onMouseUp(local, buttons);
    v->forget();
    return result == kMouseEventNotImplemented ? kMouseEventNotHandled : result;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    CView* v = m_pMouseDownView;
    if (v == nullptr)
        return kMouseEventNotHandled;
    const CBaseObjectGuard self(this);
    CPoint local(where.x - m_size.left, where.y - m_size.top);
    const CBaseObjectGuard held(v);
    CMouseEventResult result = v->onMouseMoved(local, buttons);
    return result == kMouseEventNotImplemented ? kMouseEventNotHandled : result;
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance,
                             const CButtonState& buttons) {
    const CBaseObjectGuard self(this);
    const CPoint local(where.x - m_size.left, where.y - m_size.top);
    // As a press: the wheel goes down through the views under the pointer
    // until one takes it.
    const std::vector<CView*> hit = takeHitViews(local);
    bool handled = false;
    for (CView* v : hit) {
        if (!handled && isChild(v))
            handled = v->onWheel(local, distance, buttons);
    }
    for (CView* v : hit)
        v->forget();
    return handled;
}

void CViewContainer::endGesture() {
    const std::vector<CView*> children(m_children);
    for (CView* child : children)
        child->remember();
    for (CView* child : children) {
        if (isChild(child))
            child->endGesture();
    }
    for (CView* child : children)
        child->forget();
}

bool CViewContainer::attached(CView* parent) {
    if (!CView::attached(parent))
        return false;
    for (CView* child : std::vector<CView*>(m_children))
        child->attached(this);
    return true;
}

bool CViewContainer::removed(CView* parent) {
    clearMouseDownView();
    for (CView* child : std::vector<CView*>(m_children)) {
        if (isChild(child) && child->getFrame() != nullptr)
            child->removed(this);
    }
    return CView::removed(parent);
}

} // namespace VSTGUI
