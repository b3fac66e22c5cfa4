// The window's own views: the small buttons, the help overlay (which the
// window does not place) and the bottle view, in an off-screen editor window.

#include "editorhost.h"

#include "platform/browser.h"
#include "vstguieditor/bottleview.h"
#include "vstguieditor/callbackbutton.h"
#include "vstguieditor/helpbutton.h"
#include "vstguieditor/helpoverlay.h"
#include "vstguieditor/kestrovalianbadge.h"

#include <algorithm>

using namespace VSTGUI;

namespace {

TEST_F(EditorTest, ButtonsActOnTheLeftReleaseInsideOneEditWhereverItHappens) {
    Calls duringCallback;
    float pressedValue = -1.f;
    CallbackButton* button = new CallbackButton(CRect(10, 320, 60, 350), nullptr, [&] {
        duringCallback = host->takeCalls();
        pressedValue = button->getValue();
    });
    frame()->addView(button);
    frame()->addView(new CallbackButton(CRect(100, 320, 150, 350), nullptr, nullptr));
    frame()->addView(new KestrovalianBadge(CRect(540, 330, 570, 350)));
    frame()->addView(new HelpButton(CRect(0, 300, 20, 320), editor()));
    Calls opened;
    setBrowserLauncher([&opened](const std::string& url) { opened.push_back(url); });
    const struct {
        CPoint down, up;
        int32 buttons;
        const char* printed;
        float pressedValue; // in the callback; -1: none ran
    } cases[] = {{{30, 335}, {30, 335}, kLButton, "mouse button up!\n", 1.f},
                 {{30, 335}, {10, 320}, kLButton, "mouse button up!\n", 1.f},
                 {{30, 335}, {150, 90}, kLButton, "mouse button up!\n", 0.f}, // looks released
                 {{30, 335}, {30, 335}, kRButton, "", -1.f},
                 {{120, 335}, {120, 335}, kLButton, "mouse button up!\n", -1.f},
                 {{555, 340}, {555, 340}, kLButton, "Mouse up!\n", -1.f},
                 {{500, 15}, {500, 15}, kLButton, "mouse button up!\n", -1.f}, // the logo
                 {{10, 310}, {10, 310}, kLButton, "Help button Mouse up!\n", -1.f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printed);
        pressedValue = -1.f;
        host->takeCalls();
        EXPECT_EQ(printedBy([&] { guitest::drag(frame(), {c.down, c.up}, c.buttons); }), c.printed);
        EXPECT_EQ(pressedValue, c.pressedValue);
        const Calls calls = host->takeCalls();
        if (pressedValue >= 0) {
            EXPECT_EQ(duringCallback, Calls{"begin 12345"});
            EXPECT_EQ(calls, Calls{"end 12345"});
        } else if (c.buttons == kLButton) {
            EXPECT_EQ(calls, (Calls{"begin 12345", "end 12345"}));
        }
        EXPECT_EQ(button->getValue(), 0.f);
    }
    setBrowserLauncher(nullptr);
    EXPECT_EQ(opened, Calls(2, VSTGuiEditor::kMakerSite));
    EXPECT_EQ(frame()->getView(frame()->getNbViews() - 1), editor()->getHelpOverlay());
}

TEST_F(EditorTest, HelpOverlayHotSpotsLeadToPagesAndAClickElsewhereHidesIt) {
    // Hot spots reach to their edges; a click on a page returns to the
    // overview, moves change nothing, and a release counts where it happens,
    // also past the window's edge (empty page: hidden).
    const struct {
        double x, y;
        const char* page;
    } clicks[] = {{20, 100, "help3.png"},
                  {300, 100, "help2.png"},
                  {271, 72, "help3.png"},
                  {14, 66, "help1.png"},
                  {271, 223, "help4.png"},
                  {277, 154, "help2.png"},
                  {563, 352, "help5.png"},
                  {20, 0, "help1.png"},
                  {600, 300, ""},
                  {274, 100, ""},
                  {10, 100, ""}};
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.x);
        editor()->showHelp();
        HelpOverlay* overlay = editor()->getHelpOverlay();
        editor()->showHelp();
        ASSERT_EQ(editor()->getHelpOverlay(), overlay);
        EXPECT_EQ(frame()->getNbViews(), 17);
        guitest::down(frame(), std::min(c.x, 570.0), c.y);
        guitest::moveTo(frame(), 300, 100);
        EXPECT_EQ(pictureOf(overlay), "helpoverlay.png");
        guitest::up(frame(), c.x, c.y);
        if (*c.page) {
            EXPECT_EQ(pictureOf(overlay), c.page);
            clickAt(c.x, c.y);
            EXPECT_TRUE(overlay->isShowingOverview());
            editor()->hideHelp();
        }
        EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
        EXPECT_EQ(frame()->getNbViews(), 16);
        editor()->hideHelp();
    }
    // Closing the window with the overlay shown releases it with the rest.
    editor()->showHelp();
    host->dispatch(effEditClose);
    EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
    editor()->showHelp();
    EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
}

TEST_F(EditorTest, BottleRowsShowTheirCategorysPictures) {
    const std::pair<int32, std::string> cases[] = {
        {0, "default0"},  {2, "drums0"},   {6, "drums4"},   {8, "leads0"}, {16, "leads8"},
        {17, "leads0"},   {40, "bass3"},   {68, "bass7"},   {82, "pads5"}, {84, "lasers0"},
        {146, "lasers6"}, {148, "other0"}, {176, "other4"}, {1, ""},       {7, ""},
        {36, ""},         {69, ""},        {83, ""},        {147, ""},     {-1, ""},
        {177, ""}};
    for (const auto& [row, name] : cases) {
        CView* bottle = editor()->getBottleView()->bottleViewForRow(row);
        EXPECT_EQ(pictureOf(bottle), name.empty() ? "" : "bottle_" + name + ".png") << row;
        EXPECT_EQ(bottle->getViewSize(), BottleView::kBottleRect) << row;
        bottle->forget();
    }
}

TEST_F(EditorTest, BottleExchangeSlidesTheNewOneInFromTheSideOfTheChange) {
    BottleView* view = editor()->getBottleView();
    const auto children = [&view] {
        std::vector<CView*> views;
        for (int32 i = 0; i < view->getNbViews(); ++i) {
            views.push_back(view->getView(i));
        }
        return views;
    };
    const auto change = [&](bool forward, int32 row) {
        return printedBy([&] { forward ? view->nextBottle(row) : view->previousBottle(row); });
    };
    EXPECT_EQ(children(), (std::vector<CView*>{view->getCurrentBottle(), view->getShine()}));
    EXPECT_EQ(pictureOf(view->getShine()), "container_shine.png");
    // The incoming bottle starts one bottle width beside the old one; a change
    // during an exchange finishes the running one first. Negative rows wrap.
    const struct {
        bool forward, settles;
        int32 row;
        const char* printed;
    } steps[] = {{true, true, 10, "next animation: 0 to 10\n"},
                 {false, true, 3, "currentbottle idx: 3, index=3\n"},
                 {true, false, 20, "next animation: 3 to 20\n"},
                 {false, true, 0, "currentbottle idx: 0, index=0\n"},
                 {false, true, -1, "currentbottle idx: 176, index=-1\n"},
                 {true, true, -1, "next animation: 176 to 0\n"},
                 {true, true, 0, "next animation: 0 to 0\n"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.printed);
        CView* old = view->getCurrentBottle();
        EXPECT_EQ(change(step.forward, step.row), step.printed);
        CView* incoming = view->getCurrentBottle();
        EXPECT_EQ(children(), (std::vector<CView*>{old, incoming, view->getShine()}));
        EXPECT_EQ(old->getViewSize(), BottleView::kBottleRect);
        CView* expected = view->bottleViewForRow(view->getCurrentIndex());
        EXPECT_EQ(pictureOf(incoming), pictureOf(expected));
        expected->forget();
        host->idle();
        EXPECT_DOUBLE_EQ(incoming->getViewSize().left, 18 + (step.forward ? 127 : -127));
        if (step.settles) {
            host->advance(BottleView::kExchangeMs);
            EXPECT_EQ(children(), (std::vector<CView*>{incoming, view->getShine()}));
        }
    }
    // Short lists, and rows past their end, leave one bottle and the shine.
    for (int32 rows : {0, 1, 10}) {
        frame()->addView(view = new BottleView(CRect(209, 88, 371, 301), frame(), nullptr, rows));
        change(true, -1);
        change(false, -1);
        change(true, rows + 3);
        host->advance(BottleView::kExchangeMs);
        EXPECT_EQ(children(), (std::vector<CView*>{view->getCurrentBottle(), view->getShine()}));
    }
}

} // namespace
