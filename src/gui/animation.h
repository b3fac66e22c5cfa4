#pragma once

#include "gui/cgeometry.h"
#include "gui/vstguibase.h"

namespace VSTGUI {

class CView;

namespace Animation {

// Maps the time since an animation started to its progress, 0 to 1.
class ITimingFunction {
public:
    virtual ~ITimingFunction() = default;
    virtual float getPosition(uint32 milliseconds) = 0;
    virtual bool isDone(uint32 milliseconds) = 0;
};

// Progress growing at constant speed from 0 to 1 over length milliseconds.
class LinearTimingFunction : public ITimingFunction {
public:
    explicit LinearTimingFunction(uint32 length) : m_length(length) {}
    float getPosition(uint32 milliseconds) override;
    bool isDone(uint32 milliseconds) override { return milliseconds >= m_length; }
    uint32 getLength() const { return m_length; }

private:
    uint32 m_length;
};

// What an animation changes. animationStart comes when it is added,
// animationTick with each new progress (the last one 1), animationFinished once
// at the end, with wasCanceled true when it was finished early.
class IAnimationTarget {
public:
    virtual ~IAnimationTarget() = default;
    virtual void animationStart(CView* view, IdStringPtr name) = 0;
    virtual void animationTick(CView* view, IdStringPtr name, float pos) = 0;
    virtual void animationFinished(CView* view, IdStringPtr name, bool wasCanceled) = 0;
};

// Replaces oldView by newView in oldView's container. Making it adds newView
// to that container as its topmost child (taking over the caller's reference
// to newView). Only the new view moves: it starts one old-view width to the
// left (kPushInFromLeft) or right (kPushInFromRight) of the old view and slides
// at the timing function's pace onto the old view's place. At the end, early
// or not, the new view stands in the old view's place and the old view is
// removed from the container and released.
class ExchangeViewAnimation : public IAnimationTarget {
public:
    enum AnimationStyle { kPushInFromLeft = 1, kPushInFromRight = 2 };

    ExchangeViewAnimation(CView* oldView, CView* newView, AnimationStyle style);
    ~ExchangeViewAnimation() override;

    void animationStart(CView* view, IdStringPtr name) override;
    void animationTick(CView* view, IdStringPtr name, float pos) override;
    void animationFinished(CView* view, IdStringPtr name, bool wasCanceled) override;

private:
    void placeNewView(float pos);

    CView* m_oldView;
    CView* m_newView;
    AnimationStyle m_style;
    CRect m_destination;
    bool m_newAdded = false;
    bool m_finished = false;
};

} // namespace Animation
} // namespace VSTGUI
