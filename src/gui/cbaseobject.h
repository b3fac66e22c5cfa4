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

} // namespace VSTGUI
