// The help overlay and the help button, which the window does not place,
// used in an off-screen editor window as an editor that placed it would.

#include "editorhost.h"

#include "vstguieditor/helpbutton.h"
#include "vstguieditor/helpoverlay.h"

#include <algorithm>
#include <string>

using namespace VSTGUI;

namespace {

constexpr int kWindowViews = 16;

struct HelpTest : EditorTest {
    CView* topView() { return frame()->getView(frame()->getNbViews() - 1); }
    // Every edit that began reached its end.
    void expectEditsClosed() {
        EXPECT_EQ(host->countCalls(audioMasterBeginEdit), host->countCalls(audioMasterEndEdit));
    }
};

TEST_F(HelpTest, OverlayHotSpotsLeadToPagesAndBack) {
    editor()->showHelp();
    HelpOverlay* overlay = editor()->getHelpOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(topView(), overlay);
    EXPECT_EQ(overlay->getViewSize(), CRect(0, 0, 578, 356));
    EXPECT_EQ(overlay->getTag(), 0);
    const CRect spots[] = {CRect(14, -81, 271, 66), CRect(277, -81, 697, 154),
                           CRect(14, 72, 271, 219), CRect(14, 223, 271, 353),
                           CRect(277, 223, 563, 352)};
    for (int k = 0; k < HelpOverlay::kNumHotSpots; ++k) {
        EXPECT_EQ(overlay->getHotSpot(k), spots[k]) << k;
    }
    const struct {
        double x, y;
        const char* page;
    } clicks[] = {{20, 100, "help3.png"},  {300, 100, "help2.png"}, {271, 72, "help3.png"},
                  {14, 66, "help1.png"},   {271, 223, "help4.png"}, {277, 154, "help2.png"},
                  {563, 352, "help5.png"}, {20, 0, "help1.png"}};
    EXPECT_EQ(pictureOf(overlay), "helpoverlay.png");
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.page);
        clickAt(c.x, c.y);
        EXPECT_EQ(pictureOf(overlay), c.page);
        EXPECT_FALSE(overlay->isShowingOverview());
        // Any click on a page returns to the overview.
        clickAt(c.x + 1, c.y + 1);
        EXPECT_EQ(pictureOf(overlay), "helpoverlay.png");
        EXPECT_TRUE(overlay->isShowingOverview());
    }
    EXPECT_EQ(editor()->getHelpOverlay(), overlay);
    expectEditsClosed();
}

TEST_F(HelpTest, ClickOutsideTheHotSpotsHidesAndReleasesTheOverlay) {
    for (const CPoint& outside : {CPoint(600, 300), CPoint(274, 100), CPoint(10, 100)}) {
        SCOPED_TRACE(outside.x);
        editor()->showHelp();
        ASSERT_NE(editor()->getHelpOverlay(), nullptr);
        ASSERT_EQ(frame()->getNbViews(), kWindowViews + 1);
        // A release counts where it happens, also past the window's edge.
        guitest::down(frame(), std::min(outside.x, 570.0), outside.y);
        guitest::up(frame(), outside.x, outside.y);
        EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
        EXPECT_EQ(frame()->getNbViews(), kWindowViews);
    }
    expectEditsClosed();
}

TEST_F(HelpTest, MouseMovesChangeNothing) {
    editor()->showHelp();
    HelpOverlay* overlay = editor()->getHelpOverlay();
    guitest::down(frame(), 20, 100);
    for (double x : {0.0, 300.0, 600.0}) {
        guitest::moveTo(frame(), x, 100);
        EXPECT_EQ(pictureOf(overlay), "helpoverlay.png");
        EXPECT_EQ(overlay->getValue(), 0.f);
    }
    CPoint p(20, 100);
    EXPECT_EQ(overlay->onMouseMoved(p, CButtonState(kLButton)), kMouseEventHandled);
    guitest::up(frame(), 300, 100);
    EXPECT_EQ(pictureOf(overlay), "help2.png");
}

TEST_F(HelpTest, ShowAndHideAreSafeToRepeat) {
    editor()->hideHelp();
    editor()->showHelp();
    HelpOverlay* first = editor()->getHelpOverlay();
    editor()->showHelp();
    EXPECT_EQ(editor()->getHelpOverlay(), first);
    EXPECT_EQ(frame()->getNbViews(), kWindowViews + 1);
    editor()->hideHelp();
    editor()->hideHelp();
    EXPECT_EQ(frame()->getNbViews(), kWindowViews);
    // Closing the window with the overlay shown releases it with the rest.
    editor()->showHelp();
    host->dispatch(effEditClose);
    EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
    editor()->showHelp();
    EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
}

TEST_F(HelpTest, HelpButtonShowsTheOverlayAboveEveryView) {
    frame()->addView(new HelpButton(CRect(0, 330, 20, 350), editor()));
    host->clearCalls();
    EXPECT_EQ(clickAt(10, 340), "Help button Mouse up!\n");
    ASSERT_NE(editor()->getHelpOverlay(), nullptr);
    EXPECT_EQ(topView(), editor()->getHelpOverlay());
    EXPECT_EQ(host->countCalls(audioMasterBeginEdit), 1);
    EXPECT_EQ(host->calls().front().index, 12345);
    expectEditsClosed();
}

} // namespace
