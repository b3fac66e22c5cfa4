#pragma once

#include "gui/vstguibase.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

class CBaseObject;
class CView;

namespace Animation {
class IAnimationTarget;
class ITimingFunction;
} // namespace Animation

// Runs the animations of one frame, timed by the frame's monotonic clock. The
// frame advances it at each idle; views add and remove their animations
// through CView. Callbacks of targets may add or remove animations and views.
// GUI thread only.
class Animator {
public:
    Animator();
    ~Animator();
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    // Starts an animation at time nowMs, first finishing one of the same name
    // on the same view. Takes ownership of target and timing function.
    void addAnimation(CView* view, IdStringPtr name, Animation::IAnimationTarget* target,
                      Animation::ITimingFunction* timingFunction, CBaseObject* notificationObject,
                      uint64_t nowMs);
    // Finishes the named animation of the view at once (canceled).
    void removeAnimation(CView* view, IdStringPtr name);
    // Finishes every animation of the view at once (canceled).
    void removeAnimations(CView* view);
    // Advances every running animation to time nowMs, finishing those done.
    void tick(uint64_t nowMs);

    // Runs an animation of a view outside any frame to its end at once.
    static void runAtOnce(CView* view, IdStringPtr name, Animation::IAnimationTarget* target,
                          Animation::ITimingFunction* timingFunction,
                          CBaseObject* notificationObject);

    bool hasAnimations() const { return !m_animations.empty(); }
    std::size_t getNumAnimations() const { return m_animations.size(); }

private:
    struct Entry;
    std::unique_ptr<Entry> take(std::size_t index);
    void finish(std::unique_ptr<Entry> entry, bool wasCanceled);

    std::vector<std::unique_ptr<Entry>> m_animations;
    Entry* m_current = nullptr;
    std::vector<std::unique_ptr<Entry>> m_graveyard;
};

} // namespace VSTGUI
