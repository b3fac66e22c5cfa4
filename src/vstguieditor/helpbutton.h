#pragma once

#include "gui/ckickbutton.h"

class VSTGuiEditor;

// A button that opens the editor's help overlay when it is released. The
// window does not place one; an editor that does gets the overlay above all
// its views. GUI thread only.
class HelpButton : public VSTGUI::CKickButton {
public:
    static constexpr VSTGUI::int32 kTag = 12345;

    // A button of that size, without picture and listener, for editor.
    HelpButton(const VSTGUI::CRect& size, VSTGuiEditor* editor);
    ~HelpButton() override;

    // Prints "Help button Mouse up!", shows the help overlay and closes the
    // edit the press began; the button's value stays as the press left it.
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

private:
    VSTGuiEditor* m_pEditor;
};
