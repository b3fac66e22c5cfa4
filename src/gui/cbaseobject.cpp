#include "gui/cbaseobject.h"

namespace VSTGUI {

IdStringPtr const kMsgAnimationFinished = "kMsgAnimationFinished";

void CBaseObject::forget() {
    if (--m_nbReference == 0)
        delete this;
}

} // namespace VSTGUI
