#pragma once

#include "gui/cviewcontainer.h"

#include <string>
#include <vector>

// The picture in the middle of the editor: the bottle of the selected program
// row over the container's background, with a shine picture kept above it.
// A change of row slides the new bottle in over the old one in 200 ms, from
// the left when going back and from the right when going forward; the old
// bottle is released when the slide ends. Header rows show no bottle. None
// of its pictures handles the mouse, so presses and wheel turns go on to the
// views beneath it (the knob and its labels lie inside its rectangle).
// GUI thread only (construction, changes and the animation's steps).
class BottleView : public VSTGUI::CViewContainer {
public:
    // Where the bottle and the shine sit inside the container.
    static const VSTGUI::CRect kBottleRect;
    static const VSTGUI::CRect kShineRect;
    // How long one exchange of bottles takes.
    static constexpr VSTGUI::uint32 kExchangeMs = 200;

    // A container of that size with the background, showing row 0's bottle
    // under the shine. numRows is the number of program rows (the factory
    // list's 177); rows past the last one the factory list knows all show the
    // "other" bottles, and a smaller count simply has fewer rows.
    BottleView(const VSTGUI::CRect& size, VSTGUI::CFrame* pParent, VSTGUI::CBitmap* pBackground,
               VSTGUI::int32 numRows);
    ~BottleView() override;

    // The embedded picture that shows row's bottle ("bottle_bass3.png"), or
    // the empty text for a header row or a row outside the view's rows.
    std::string pictureNameForRow(VSTGUI::int32 row) const;
    // A new, unattached view at kBottleRect showing row's bottle; a header row,
    // or a row outside the view's rows, gives a view without background. The
    // caller receives the only reference. A missing picture still gives a view.
    VSTGUI::CView* bottleViewForRow(VSTGUI::int32 row);
    // Shows the bottle of row (of the row before the current one when row is
    // negative, wrapping to the last), sliding in from the left.
    void previousBottle(VSTGUI::int32 row);
    // Shows the bottle of row (of the row after the current one when row is
    // negative, wrapping to row 0), sliding in from the right.
    void nextBottle(VSTGUI::int32 row);

    VSTGUI::int32 getCurrentIndex() const { return m_currentIndex; }
    VSTGUI::int32 getNumRows() const { return m_numRows; }
    // The view of the bottle on show (or sliding in); owned by the container.
    VSTGUI::CView* getCurrentBottle() const { return m_pCurrentBottle; }
    VSTGUI::CView* getShine() const { return m_pShine; }

private:
    // Slides the bottle of m_currentIndex in over oldBottle.
    void exchangeBottle(VSTGUI::CView* oldBottle, int style);

    VSTGUI::CView* m_pCurrentBottle = nullptr;
    VSTGUI::CView* m_pShine = nullptr;
    VSTGUI::int32 m_currentIndex = 0;
    std::vector<std::string> m_bottleKinds;
    VSTGUI::int32 m_numRows = 0;
};
