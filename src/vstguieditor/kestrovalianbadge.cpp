#include "vstguieditor/kestrovalianbadge.h"

#include "platform/browser.h"
#include "vstguieditor/vstguieditor.h"

#include <cstdio>

using namespace VSTGUI;

KestrovalianBadge::KestrovalianBadge(const CRect& size)
    : CKickButton(size, nullptr, kTag, nullptr, CPoint(0, 0)) {}

KestrovalianBadge::~KestrovalianBadge() = default;

CMouseEventResult KestrovalianBadge::onMouseUp(CPoint&, const CButtonState&) {
    std::printf("Mouse up!\n");
    openUrlInBrowser(VSTGuiEditor::kMakerSite);
    // The press told the host an edit began; it must hear that it ended.
    endEdit();
    return kMouseEventHandled;
}
