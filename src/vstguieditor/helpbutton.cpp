#include "vstguieditor/helpbutton.h"

#include "vstguieditor/vstguieditor.h"

#include <cstdio>

using namespace VSTGUI;

HelpButton::HelpButton(const CRect& size, VSTGuiEditor* editor)
    : CKickButton(size, nullptr, kTag, nullptr, CPoint(0, 0)), m_pEditor(editor) {}

HelpButton::~HelpButton() = default;

CMouseEventResult HelpButton::onMouseUp(CPoint&, const CButtonState&) {
    std::printf("Help button Mouse up!\n");
    remember();
    if (m_pEditor) {
        m_pEditor->showHelp();
    }
    // The press told the host an edit began; it must hear that it ended.
    endEdit();
    forget();
    return kMouseEventHandled;
}
