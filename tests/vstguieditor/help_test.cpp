// The help overlay and the two buttons the window does not place, used in an
// off-screen editor window as an editor that placed them would.

#include "editorhost.h"

#include "platform/browser.h"
#include "vstguieditor/helpbutton.h"
#include "vstguieditor/helpoverlay.h"
#include "vstguieditor/kestrovalianbadge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace VSTGUI;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

constexpr int kWindowViews = 16;

class HelpTest : public testing::Test {
protected:
    void SetUp() override {
        CaptureStdout();
        host = std::make_unique<EditorHost>();
        host->openEditor();
        GetCapturedStdout();
        ASSERT_NE(host->frame(), nullptr);
    }
    VSTGuiEditor* editor() { return host->editor(); }
    CView* topView() { return host->frame()->getView(host->frame()->getNbViews() - 1); }
    std::string clickAt(double x, double y) {
        CaptureStdout();
        host->click(x, y);
        return GetCapturedStdout();
    }
    // Every edit that began reached its end.
    void expectEditsClosed() {
        EXPECT_EQ(host->countCalls(audioMasterBeginEdit), host->countCalls(audioMasterEndEdit));
    }

    std::unique_ptr<EditorHost> host;
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
    } clicks[] = {
        {20, 100, "help3.png"},  {300, 100, "help2.png"}, {271, 72, "help3.png"},
        {14, 66, "help1.png"},   {271, 223, "help4.png"}, {277, 154, "help2.png"},
        {563, 352, "help5.png"}, {20, 0, "help1.png"},
    };
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
        ASSERT_EQ(host->frame()->getNbViews(), kWindowViews + 1);
        // A release counts where it happens, also past the window's edge.
        host->press(std::min(outside.x, 570.0), outside.y);
        host->release(outside.x, outside.y);
        EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
        EXPECT_EQ(host->frame()->getNbViews(), kWindowViews);
        EXPECT_NE(host->frame()->getView(kWindowViews - 1), nullptr);
    }
    expectEditsClosed();
}

TEST_F(HelpTest, MouseMovesChangeNothing) {
    editor()->showHelp();
    HelpOverlay* overlay = editor()->getHelpOverlay();
    host->press(20, 100);
    for (double x : {0.0, 300.0, 600.0}) {
        host->moveTo(x, 100);
        EXPECT_EQ(pictureOf(overlay), "helpoverlay.png");
        EXPECT_EQ(overlay->getValue(), 0.f);
    }
    CPoint p(20, 100);
    EXPECT_EQ(overlay->onMouseMoved(p, CButtonState(kLButton)), kMouseEventHandled);
    host->release(300, 100);
    EXPECT_EQ(pictureOf(overlay), "help2.png");
}

TEST_F(HelpTest, ShowAndHideAreSafeToRepeat) {
    editor()->hideHelp();
    editor()->showHelp();
    HelpOverlay* first = editor()->getHelpOverlay();
    editor()->showHelp();
    EXPECT_EQ(editor()->getHelpOverlay(), first);
    EXPECT_EQ(host->frame()->getNbViews(), kWindowViews + 1);
    editor()->hideHelp();
    editor()->hideHelp();
    EXPECT_EQ(host->frame()->getNbViews(), kWindowViews);
    // Closing the window with the overlay shown releases it with the rest.
    editor()->showHelp();
    host->dispatch(effEditClose);
    EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
    editor()->showHelp();
    EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
}

TEST_F(HelpTest, HelpButtonShowsTheOverlayAboveEveryView) {
    host->frame()->addView(new HelpButton(CRect(0, 330, 20, 350), editor()));
    host->clearCalls();
    EXPECT_EQ(clickAt(10, 340), "Help button Mouse up!\n");
    ASSERT_NE(editor()->getHelpOverlay(), nullptr);
    EXPECT_EQ(topView(), editor()->getHelpOverlay());
    EXPECT_EQ(host->countCalls(audioMasterBeginEdit), 1);
    EXPECT_EQ(host->calls().front().index, 12345);
    expectEditsClosed();
}

TEST_F(HelpTest, BadgeOpensTheMakersSite) {
    host->frame()->addView(new KestrovalianBadge(CRect(540, 330, 570, 350)));
    std::vector<std::string> opened;
    setBrowserLauncher([&opened](const std::string& url) { opened.push_back(url); });
    host->clearCalls();
    const std::string printed = clickAt(555, 340);
    setBrowserLauncher(nullptr);
    EXPECT_EQ(printed, "Mouse up!\n");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://kestrovalian.example/");
    expectEditsClosed();
}

} // namespace
