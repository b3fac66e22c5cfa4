#include "gui/animation.h"

#include "gui/cviewcontainer.h"

namespace VSTGUI {
namespace Animation {

float LinearTimingFunction::getPosition(uint32 milliseconds) {
    if (m_length == 0 || milliseconds >= m_length)
        return 1.f;
    return static_cast<float>(milliseconds) / static_cast<float>(m_length);
}

ExchangeViewAnimation::ExchangeViewAnimation(CView* oldView, CView* newView, AnimationStyle style)
    : m_oldView(oldView), m_newView(newView), m_style(style) {
    m_oldView->remember();
    m_destination = m_oldView->getViewSize();
    auto* container = dynamic_cast<CViewContainer*>(m_oldView->getParentView());
    // The container takes over the caller's reference; we keep our own.
    m_newView->remember();
    m_newAdded = container != nullptr && container->addView(m_newView);
    placeNewView(0.f);
}

ExchangeViewAnimation::~ExchangeViewAnimation() {
    if (!m_newAdded)
        m_newView->forget(); // the caller's reference, which no container took
    m_newView->forget();
    m_oldView->forget();
}

void ExchangeViewAnimation::placeNewView(float pos) {
    const CCoord width = m_destination.getWidth();
    const CCoord distance = (1.f - pos) * width;
    CRect r = m_destination;
    r.offset(m_style == kPushInFromLeft ? -distance : distance, 0);
    m_newView->setViewSize(r);
}

void ExchangeViewAnimation::animationStart(CView*, IdStringPtr) {
    // The old view may have been moving until now (an exchange that was still
    // running ends when this one starts): its place counts from here.
    m_destination = m_oldView->getViewSize();
    placeNewView(0.f);
}

void ExchangeViewAnimation::animationTick(CView*, IdStringPtr, float pos) {
    if (!m_finished)
        placeNewView(pos);
}

void ExchangeViewAnimation::animationFinished(CView*, IdStringPtr, bool) {
    if (m_finished)
        return;
    m_finished = true;
    placeNewView(1.f);
    if (auto* container = dynamic_cast<CViewContainer*>(m_oldView->getParentView()))
        container->removeView(m_oldView, true);
}

} // namespace Animation
} // namespace VSTGUI
