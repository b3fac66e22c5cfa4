// The window's small buttons and the help overlay (which the window does not
// place), used in an off-screen editor window.

#include "editorhost.h"

#include "platform/browser.h"
#include "vstguieditor/callbackbutton.h"
#include "vstguieditor/helpbutton.h"
#include "vstguieditor/helpoverlay.h"
#include "vstguieditor/kestrovalianbadge.h"

#include <algorithm>
#include <string>

using namespace VSTGUI;
using Calls = std::vector<std::string>;

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
    std::vector<std::string> opened;
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
    EXPECT_EQ(opened, std::vector<std::string>{"https://kestrovalian.example/"});
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

} // namespace
