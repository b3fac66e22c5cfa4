#pragma once

#include "gui/vstguibase.h"

namespace VSTGUI {

enum CMessageResult { kMessageUnknown = 0, kMessageNotified = 1 };

// The message an animation's notification object receives when it ends.
extern IdStringPtr const kMsgAnimationFinished;

// Reference counting as the widget tree uses it: an object starts with one
// reference, owned by its creator; remember() adds one and forget() drops one,
// deleting the object when the last goes. A view handed to a container with
// addView gives the creator's reference to the container.
// GUI thread only: the count is not atomic because views never cross threads.
class CBaseObject {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) : m_nbReference(1) {}
    CBaseObject& operator=(const CBaseObject&) { return *this; }
    virtual ~CBaseObject() = default;

    // Adds a reference.
    virtual void remember() { ++m_nbReference; }
    // Drops a reference; the object deletes itself when none is left.
    virtual void forget();
    // A message from another object (for example kMsgAnimationFinished).
    virtual CMessageResult notify(CBaseObject* /*sender*/, IdStringPtr /*message*/) {
        return kMessageUnknown;
    }
    // The number of references held now.
    int32 getNbReference() const { return m_nbReference; }

private:
    int32 m_nbReference = 1;
};

// Holds a reference to an object for the length of a scope. An object whose
// handler calls out (to a listener, or through the editor to the host) keeps
// itself alive this way: whatever the callee releases, the object is deleted
// only when its handler is done.
class CBaseObjectGuard {
public:
    explicit CBaseObjectGuard(CBaseObject* object) : m_object(object) {
        if (m_object != nullptr)
            m_object->remember();
    }
    ~CBaseObjectGuard() {
        if (m_object != nullptr)
            m_object->forget();
    }
    CBaseObjectGuard(const CBaseObjectGuard&) = delete;
    CBaseObjectGuard& operator=(const CBaseObjectGuard&) = delete;

private:
    CBaseObject* m_object;
};

} // namespace VSTGUI
