#pragma once

#include <cstdint>

// The toolkit's basic value types. The widget classes keep the names and
// signatures an editor written for this kind of toolkit expects, so the editor
// reads as it would on any host platform.
namespace VSTGUI {

using int32 = std::int32_t;
using uint32 = std::uint32_t;
using CCoord = double;
using UTF8StringPtr = const char*;
using IdStringPtr = const char*;

// What a view answers to a mouse event. A view that answers kMouseEventHandled
// to a mouse-down receives the moves and the mouse-up of that press.
enum CMouseEventResult {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled,
    kMouseEventNotHandled,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents
};

// The mouse buttons and modifier keys of one mouse event, as bits.
enum CButton : int32 {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kDoubleClick = 1 << 7
};

class CButtonState {
public:
    CButtonState(int32 state = 0) : m_state(state) {}

    int32 getButtonState() const { return m_state; }
    bool isLeftButton() const { return (m_state & kLButton) != 0; }
    bool isRightButton() const { return (m_state & kRButton) != 0; }
    bool isMiddleButton() const { return (m_state & kMButton) != 0; }
    bool operator==(const CButtonState& other) const { return m_state == other.m_state; }
    bool operator!=(const CButtonState& other) const { return m_state != other.m_state; }
    int32 operator&(int32 mask) const { return m_state & mask; }

private:
    int32 m_state;
};

} // namespace VSTGUI
