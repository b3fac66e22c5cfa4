#pragma once

#include "gui/ckickbutton.h"

#include <functional>

// The editor's push button: a two-state kick button that runs a callback when
// the mouse button is released instead of telling a control listener. The
// callback runs on every release that ends a left-button press on the button,
// also when the pointer has left the button by then, and before the button
// shows its released picture and ends the edit, so whatever it does (a program
// change, the host's display update) comes first. The edit reaches the host
// as begin/end edit with the tag kTag, which names no parameter.
// GUI thread only.
class CallbackButton : public VSTGUI::CKickButton {
public:
    static constexpr VSTGUI::int32 kTag = 12345;
    using Callback = std::function<void()>;

    // A button of that size drawing from the strip background (released above,
    // pressed below, each as tall as the button), without listener, with the
    // tag kTag. The button keeps its own reference to the bitmap. An empty
    // callback leaves only the kick button's own handling.
    CallbackButton(const VSTGUI::CRect& size, VSTGUI::CBitmap* background, Callback callback);
    ~CallbackButton() override;

    // Prints "mouse button up!", runs the callback, then lets the kick button
    // return to its released state and end the edit.
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

private:
    Callback m_callback;
};
