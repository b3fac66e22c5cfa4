#include "vstguieditor/callbackbutton.h"

#include <cstdio>
#include <utility>

using namespace VSTGUI;

CallbackButton::CallbackButton(const CRect& size, CBitmap* background, Callback callback)
    : CKickButton(size, nullptr, kTag, background, CPoint(0, 0)), m_callback(std::move(callback)) {}

CallbackButton::~CallbackButton() = default;

CMouseEventResult CallbackButton::onMouseUp(CPoint& where, const CButtonState& buttons) {
    std::printf("mouse button up!\n");
    // The callback may rebuild the views around this button; our own reference
    // keeps the button alive until its release handling is done.
    remember();
    if (m_callback) {
        m_callback();
    }
    const CMouseEventResult result = CKickButton::onMouseUp(where, buttons);
    forget();
    return result;
}
