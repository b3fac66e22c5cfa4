#include "vstguieditor/helpoverlay.h"

#include "gui/cbitmap.h"
#include "vstguieditor/vstguieditor.h"

#include <cstdio>
#include <string>

using namespace VSTGUI;

namespace {

// Origin (x, and y counted up from the overlay's bottom edge) and size of
// each hot spot.
struct HotSpotPlace {
    CCoord x;
    CCoord fromBottom;
    CCoord width;
    CCoord height;
};

constexpr HotSpotPlace kHotSpotPlaces[HelpOverlay::kNumHotSpots] = {
    {14, 437, 257, 147}, {277, 437, 420, 235}, {14, 284, 257, 147},
    {14, 133, 257, 130}, {277, 133, 286, 129},
};

const char* const kOverviewPicture = "helpoverlay.png";

} // namespace

HelpOverlay::HelpOverlay(const CRect& size, VSTGuiEditor* editor)
    : CKickButton(size, nullptr, 0, nullptr, CPoint(0, 0)), m_pEditor(editor) {
    const auto h = static_cast<CCoord>(static_cast<int>(size.bottom - size.top));
    for (int k = 0; k < kNumHotSpots; ++k) {
        const HotSpotPlace& p = kHotSpotPlaces[k];
        m_hotSpots[k] = CRect(CPoint(p.x, h - p.fromBottom), CPoint(p.width, p.height));
    }
    showOverview();
}

HelpOverlay::~HelpOverlay() = default;

void HelpOverlay::showPicture(const char* name) {
    auto* bitmap = new CBitmap(CResourceDescription(name));
    setBackground(bitmap);
    bitmap->forget();
}

void HelpOverlay::showOverview() {
    showPicture(kOverviewPicture);
    m_showingOverview = true;
    setDirty(true);
}

void HelpOverlay::showPage(int k) {
    if (k < 0 || k >= kNumHotSpots) {
        return;
    }
    const std::string name = "help" + std::to_string(k + 1) + ".png";
    showPicture(name.c_str());
    m_showingOverview = false;
    setDirty(true);
}

CMouseEventResult HelpOverlay::onMouseUp(CPoint& where, const CButtonState&) {
    // The press told the host an edit began; it must hear that it ended,
    // and before hiding releases this overlay.
    endEdit();
    // The host may have closed the window, or the plug-in with the editor,
    // while it was told.
    if (!isAttached()) {
        return kMouseEventHandled;
    }
    if (!m_showingOverview) {
        showOverview();
        return kMouseEventHandled;
    }
    const CCoord x = where.x - m_size.left;
    const CCoord y = where.y - m_size.top;
    for (int k = 0; k < kNumHotSpots; ++k) {
        const CRect& spot = m_hotSpots[k];
        if (spot.left <= x && x <= spot.right && spot.top <= y && y <= spot.bottom) {
            showPage(k);
            return kMouseEventHandled;
        }
    }
    if (m_pEditor) {
        m_pEditor->hideHelp();
    }
    return kMouseEventHandled;
}

CMouseEventResult HelpOverlay::onMouseMoved(CPoint&, const CButtonState&) {
    return kMouseEventHandled;
}
