#include "gui/animator.h"

#include "gui/animation.h"
#include "gui/cbaseobject.h"
#include "gui/cview.h"

#include <algorithm>
#include <limits>

namespace VSTGUI {

struct Animator::Entry {
    CView* view;
    std::string name;
    std::unique_ptr<Animation::IAnimationTarget> target;
    std::unique_ptr<Animation::ITimingFunction> timing;
    CBaseObject* notification;
    uint64_t startMs;

    ~Entry() {
        if (notification != nullptr)
            notification->forget();
        view->forget();
    }
};

Animator::Animator() = default;

Animator::~Animator() {
    // Whatever still runs belongs to views that are going away with the
    // frame: release it without calling back into them.
    m_animations.clear();
}

void Animator::runAtOnce(CView* view, IdStringPtr name, Animation::IAnimationTarget* target,
                         Animation::ITimingFunction* timingFunction,
                         CBaseObject* notificationObject) {
    std::unique_ptr<Animation::IAnimationTarget> ownedTarget(target);
    std::unique_ptr<Animation::ITimingFunction> ownedTiming(timingFunction);
    if (view == nullptr || target == nullptr)
        return;
    target->animationStart(view, name);
    target->animationTick(view, name, 1.f);
    target->animationFinished(view, name, false);
    if (notificationObject != nullptr)
        notificationObject->notify(view, kMsgAnimationFinished);
}

void Animator::addAnimation(CView* view, IdStringPtr name, Animation::IAnimationTarget* target,
                            Animation::ITimingFunction* timingFunction,
                            CBaseObject* notificationObject, uint64_t nowMs) {
    if (view == nullptr || target == nullptr || timingFunction == nullptr) {
        delete target;
        delete timingFunction;
        return;
    }
    const std::string key = name != nullptr ? name : "";
    removeAnimation(view, key.c_str());

    auto entry = std::make_unique<Entry>();
    view->remember();
    entry->view = view;
    entry->name = key;
    entry->target.reset(target);
    entry->timing.reset(timingFunction);
    if (notificationObject != nullptr)
        notificationObject->remember();
    entry->notification = notificationObject;
    entry->startMs = nowMs;
    Entry* started = entry.get();
    m_animations.push_back(std::move(entry));
    started->target->animationStart(view, started->name.c_str());
}

std::unique_ptr<Animator::Entry> Animator::take(std::size_t index) {
    std::unique_ptr<Entry> entry = std::move(m_animations[index]);
    m_animations.erase(m_animations.begin() + static_cast<std::ptrdiff_t>(index));
    return entry;
}

void Animator::finish(std::unique_ptr<Entry> entry, bool wasCanceled) {
    entry->target->animationFinished(entry->view, entry->name.c_str(), wasCanceled);
    if (entry->notification != nullptr)
        entry->notification->notify(entry->view, kMsgAnimationFinished);
    // An entry whose own callback is still on the stack is released after it
    // returns.
    if (entry.get() == m_current)
        m_graveyard.push_back(std::move(entry));
}

void Animator::removeAnimation(CView* view, IdStringPtr name) {
    const std::string key = name != nullptr ? name : "";
    for (std::size_t i = 0; i < m_animations.size(); ++i) {
        if (m_animations[i]->view == view && m_animations[i]->name == key) {
            finish(take(i), true);
            return;
        }
    }
}

void Animator::removeAnimations(CView* view) {
    for (std::size_t i = 0; i < m_animations.size();) {
        if (m_animations[i]->view == view) {
            finish(take(i), true);
            i = 0; // a callback may have changed the list
        } else {
            ++i;
        }
    }
}

void Animator::tick(uint64_t nowMs) {
    std::vector<Entry*> snapshot;
    snapshot.reserve(m_animations.size());
    for (const auto& e : m_animations)
        snapshot.push_back(e.get());

    for (Entry* e : snapshot) {
        auto it = std::find_if(m_animations.begin(), m_animations.end(),
                               [e](const std::unique_ptr<Entry>& p) { return p.get() == e; });
        if (it == m_animations.end())
            continue; // ended by an earlier callback
        const uint64_t elapsed64 = nowMs > e->startMs ? nowMs - e->startMs : 0;
        const auto elapsed =
            static_cast<uint32>(std::min<uint64_t>(elapsed64, std::numeric_limits<uint32>::max()));
        const float pos = e->timing->getPosition(elapsed);
        const bool done = e->timing->isDone(elapsed);
        m_current = e;
        e->target->animationTick(e->view, e->name.c_str(), pos);
        m_current = nullptr;
        if (!m_graveyard.empty()) {
            m_graveyard.clear(); // the tick ended its own animation
            continue;
        }
        if (done) {
            it = std::find_if(m_animations.begin(), m_animations.end(),
                              [e](const std::unique_ptr<Entry>& p) { return p.get() == e; });
            if (it != m_animations.end())
                finish(take(static_cast<std::size_t>(it - m_animations.begin())), false);
        }
    }
}

} // namespace VSTGUI
