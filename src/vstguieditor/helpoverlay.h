#pragma once

#include "gui/ckickbutton.h"

class VSTGuiEditor;

// A window-sized picture over the editor: an overview with five hot spots,
// each leading to a page of help; a click on a page returns to the overview,
// a click on the overview outside every hot spot dismisses the overlay
// through the editor. The pictures are looked up by name ("helpoverlay.png",
// "help1.png" to "help5.png"); the instrument embeds none of them, so the
// overlay then draws nothing. GUI thread only.
class HelpOverlay : public VSTGUI::CKickButton {
public:
    static constexpr int kNumHotSpots = 5;

    // An overlay of that size for editor (tag 0), showing the overview. The
    // hot spots are placed from the overlay's bottom edge.
    HelpOverlay(const VSTGUI::CRect& size, VSTGuiEditor* editor);
    ~HelpOverlay() override;

    // Shows the overview picture.
    void showOverview();
    // Shows the page of hot spot k (0 to kNumHotSpots - 1; others do nothing).
    void showPage(int k);
    bool isShowingOverview() const { return m_showingOverview; }
    // Hot spot k in the overlay's own coordinates, edges included.
    const VSTGUI::CRect& getHotSpot(int k) const { return m_hotSpots[k]; }

    // On a page: back to the overview. On the overview: the page of the first
    // hot spot holding the point, else the editor hides the overlay (which
    // releases it). Also closes the edit the press began.
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;
    // Handled, and nothing changes: the overlay shows no pressed state.
    VSTGUI::CMouseEventResult onMouseMoved(VSTGUI::CPoint& where,
                                           const VSTGUI::CButtonState& buttons) override;

private:
    void showPicture(const char* name);

    VSTGuiEditor* m_pEditor;
    VSTGUI::CRect m_hotSpots[kNumHotSpots];
    bool m_showingOverview = true;
};
