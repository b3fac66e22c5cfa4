#pragma once

#include "gui/ckickbutton.h"

// A button that opens the maker's web site in the browser when it is
// released. The window does not place one. GUI thread only.
class KestrovalianBadge : public VSTGUI::CKickButton {
public:
    static constexpr VSTGUI::int32 kTag = 12345;

    // A button of that size, without picture and listener.
    explicit KestrovalianBadge(const VSTGUI::CRect& size);
    ~KestrovalianBadge() override;

    // Prints "Mouse up!", asks the browser to open the maker's site (whether
    // it did is not known) and closes the edit the press began.
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
};
