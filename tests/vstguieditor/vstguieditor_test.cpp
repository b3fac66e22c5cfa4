// The editor driven as a host drives it: through the plug-in's AEffect
// record, with the window off-screen and synthetic mouse events; also its own
// views (the small buttons, the help overlay the window does not place, the
// bottle view) within that window.

#include "editorhost.h"

#include "platform/browser.h"
#include "vstguieditor/bottleview.h"
#include "vstguieditor/callbackbutton.h"
#include "vstguieditor/helpbutton.h"
#include "vstguieditor/helpoverlay.h"
#include "vstguieditor/kestrovalianbadge.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <tuple>

using namespace VSTGUI;

namespace {

const CPoint kPrevButton(170, 200), kNextButton(410, 200), kKnobCentre(320, 130);

TEST_F(EditorBeforeOpen, AWaitingValueNeverReplacesANewerOne) {
    // Values from another thread (as hosts automate) wait for the next idle;
    // a program change on the GUI thread (-1: none) overtakes them, also
    // while closed.
    for (const auto& [value, program, beforeIdle, afterIdle] :
         {std::tuple<float, int, Knob, Knob>{0.9f, 40, {0.5f, "0 osc"}, {0.5f, "0 osc"}},
          {0.9f, -1, {0.5f, "0 osc"}, {0.9f, "2 osc"}},
          {0.1f, 41, {0.5f, "0 osc"}, {0.5f, "0 osc"}}}) {
        std::thread([&, v = value] { host->effect()->setParameter(host->effect(), 0, v); }).join();
        if (program >= 0)
            setProgram(program);
        if (!frame())
            open();
        EXPECT_EQ(knob(), beforeIdle);
        host->idle();
        EXPECT_EQ(knob(), afterIdle);
    }
}

TEST_F(EditorTest, ReopeningBuildsTheSameWindowInItsStartState) {
    // The second round opens again without closing, as some hosts do; the
    // third closes twice first, the second time without a window.
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            host->dispatch(effEditClose);
            host->dispatch(effEditClose);
            EXPECT_EQ(host->frame(), nullptr);
            EXPECT_TRUE(editor()->getKnobs().empty() && editor()->getParamLabels().empty());
        }
        if (round > 0)
            open();
        ASSERT_EQ(frame()->getNbViews(), 16);
        for (int i = 0; i < 16; ++i)
            EXPECT_TRUE(pictureOf(frame()->getView(i)).empty() ||
                        frame()->getView(i)->getBackground()->isLoaded());
        EXPECT_EQ(editor()->getKnobs().size() + editor()->getParamDisplays().size(), 2u);
        EXPECT_EQ(editor()->getProgramBrowser()->getNumRows(), 177);
        EXPECT_EQ(editor()->getProgramBrowser()->getSelectedRow(), CDataBrowser::kNoSelection);
        EXPECT_STREQ(editor()->getProgramNameLabel()->getText(), "");
        EXPECT_STREQ(editor()->getParamLabels().at(0)->getText(), "Funkiness");
        EXPECT_EQ(knob(), Knob(0.5f, "0 osc"));
    }
    // Unknown widget types are reported, a knob of no parameter is skipped,
    // and the table ends at its end row.
    const CRect r(0, 0, 10, 10);
    const std::vector<VSTGuiEditor::WidgetSpec> table = {
        {"CSlider", 0, r}, {"CKnob", 7, r}, {"END", 0, r}, {"CKnob", 0, r}};
    EXPECT_EQ(printedBy([&] { editor()->walkWidgetTable(table, nullptr); }),
              "Error: Unknown VST widget type!\n1\n2\n");
    EXPECT_EQ(frame()->getNbViews(), 16);
}

TEST_F(EditorTest, KnobAutomatesAndTheHostsChangesMoveOnlyKnobAndValue) {
    host->takeCalls();
    guitest::drag(frame(), {kKnobCentre, CPoint(kKnobCentre.x, kKnobCentre.y - 100)});
    const Calls calls = host->takeCalls();
    EXPECT_EQ(Calls(calls.end() - 2, calls.end()), (Calls{"automate 0 1.00", "end 0"}));
    EXPECT_EQ(knob(), Knob(1.0f, "3 osc"));

    // The host's change, here from another thread, is drawn at the next idle.
    const auto knobPixels = [this] {
        host->idle();
        std::string pixels;
        for (int y = 106; y < 154; ++y)
            for (int x = 296; x < 344; ++x)
                pixels += std::to_string(frame()->getPixel(x, y).red) + " ";
        return pixels;
    };
    const std::string drawn = knobPixels();
    AEffect* effect = host->effect();
    std::thread([effect] { effect->setParameter(effect, 0, 0.9f); }).join();
    EXPECT_NE(knobPixels(), drawn);
    EXPECT_EQ(knob(), Knob(0.9f, "2 osc"));
    // Program 40 keeps its own value; the list, bottle and name stay.
    EXPECT_EQ(printedBy([&] { host->dispatch(effSetProgram, 0, 40); }).find("clicked"),
              std::string::npos);
    EXPECT_EQ(knob(), Knob(0.5f, "0 osc"));
    EXPECT_EQ(editor()->getProgramBrowser()->getSelectedRow(), CDataBrowser::kNoSelection);
    EXPECT_STREQ(editor()->getProgramNameLabel()->getText(), "");
    // A refused program still pushes the current program's values.
    effect->setParameter(effect, 0, 0.0f);
    editor()->getKnobs()[0]->setValue(0.7f);
    setProgram(-1);
    EXPECT_EQ(knob(), Knob(0.0f, "-3 osc"));
    // Out-of-range indices and values that are no number change no view.
    effect->setParameter(effect, 1, 0.25f);
    effect->setParameter(effect, -1, 0.25f);
    editor()->setParameter(0, std::nanf(""));
    EXPECT_EQ(knob(), Knob(0.0f, "-3 osc"));
    // The host's value of the parameter; none for an index outside them.
    for (const auto& [index, value, expected] :
         {std::tuple(0, 0.99f, 2.f), {0, 1.f, 3.f}, {1, 1.f, 0.f}, {-1, 1.f, 0.f}})
        EXPECT_EQ(editor()->parameterFromNormalized(index, value), expected) << index;
}

TEST_F(EditorTest, RowsFromListButtonsAndHostLoadAnimateNameAndUpdateTheHost) {
    const auto category = [](int i) { return CPoint(510, 94 + 29 * i + 14); };
    // Previous and next start from the host's program (-1: as it is); a
    // button at (0, 0) is the list's row.
    for (const auto& [hostProgram, button, row, printed, name] :
         {std::tuple<int, CPoint, int32, std::string, const char*>{
              -1, CPoint(), 3, "next animation: 0 to 3\nclicked 3\n", "Snares"},
          {-1, CPoint(), 1, "currentbottle idx: 1, index=1\nclicked 1\n", "-= DRUMS =-"},
          {176, kNextButton, 0, "clicked 0\n", "Our Favorites"},
          {-1, kPrevButton, 176, "clicked 176\n", nullptr},
          {40, kNextButton, 41, "clicked 41\n", nullptr},
          {40, kPrevButton, 39, "clicked 39\n", nullptr},
          {-1, category(1), 2, "clicked 2\n", "Kicks"},
          {-1, category(3), 37, "clicked 37\n", nullptr},
          {-1, category(6), 148, "clicked 148\n", nullptr}}) {
        SCOPED_TRACE(row);
        if (hostProgram >= 0)
            setProgram(hostProgram);
        host->takeCalls();
        CDataBrowser* list = editor()->getProgramBrowser();
        list->makeRowVisible(row);
        const CRect cell = list->getRowRect(row), at = list->getViewSize();
        const std::string shown =
            button.x == 0 ? clickAt(at.left + cell.left + 10, at.top + (cell.top + cell.bottom) / 2)
                          : clickAt(button.x, button.y);
        EXPECT_NE(shown.find(printed), std::string::npos) << shown;
        EXPECT_EQ(std::tuple(host->dispatch(effGetProgram), list->getSelectedRow(),
                             std::string(editor()->getProgramNameLabel()->getText())),
                  std::tuple(row, row, name ? name : editor()->getProgramNames().at(row)));
        // A button's program change and display update happen inside its edit.
        const Calls update = {"update"}, edit = {"begin 12345", "update", "end 12345"};
        EXPECT_EQ(host->takeCalls(), button.x == 0 ? update : edit);
        host->advance(BottleView::kExchangeMs);
    }
    // The button of the row still selected does nothing, whatever the host's
    // program is now.
    setProgram(5);
    EXPECT_EQ(clickAt(category(6).x, category(6).y), "mouse button up!\n");
    EXPECT_EQ(host->dispatch(effGetProgram), 5);
    EXPECT_EQ(host->takeCalls(), (Calls{"begin 12345", "end 12345"}));
    // The views refer to the editor: closing the plug-in with the window open
    // must release them with it, not after it (the address checker watches).
    host->closePlugin();
}

TEST_F(EditorTest, ButtonsActOnTheLeftReleaseInsideOneEditWhereverItHappens) {
    // What the host is asked, and in the button's callback how it looks.
    Calls asked;
    CallbackButton* button = new CallbackButton(CRect(10, 320, 60, 350), nullptr, [&] {
        asked = host->takeCalls();
        asked.push_back(button->getValue() ? "pressed" : "looks released");
    });
    frame()->addView(button);
    frame()->addView(new CallbackButton(CRect(100, 320, 150, 350), nullptr, nullptr));
    frame()->addView(new KestrovalianBadge(CRect(540, 330, 570, 350)));
    frame()->addView(new HelpButton(CRect(0, 300, 20, 320), editor()));
    Calls opened;
    setBrowserLauncher([&opened](const std::string& url) { opened.push_back(url); });
    for (const auto& [down, up, buttons, printed, callback] :
         {std::tuple<CPoint, CPoint, int32, std::string, const char*>{
              {30, 335}, {30, 335}, kLButton, "mouse button up!\n", "pressed"},
          {{30, 335}, {10, 320}, kLButton, "mouse button up!\n", "pressed"},
          {{30, 335}, {150, 90}, kLButton, "mouse button up!\n", "looks released"},
          {{30, 335}, {30, 335}, kRButton, "", nullptr},
          {{120, 335}, {120, 335}, kLButton, "mouse button up!\n", nullptr},
          {{555, 340}, {555, 340}, kLButton, "Mouse up!\n", nullptr},
          {{500, 15}, {500, 15}, kLButton, "mouse button up!\n", nullptr}, // the logo
          {{10, 310}, {10, 310}, kLButton, "Help button Mouse up!\n", nullptr}}) {
        SCOPED_TRACE(printed);
        asked.clear();
        host->takeCalls();
        EXPECT_EQ(printedBy([&, d = down, u = up, b = buttons] {
                      guitest::drag(frame(), {d, u}, b);
                  }),
                  printed);
        for (const std::string& call : host->takeCalls())
            asked.push_back(call);
        const Calls edit = callback ? Calls{"begin 12345", callback, "end 12345"}
                                    : Calls{"begin 12345", "end 12345"};
        EXPECT_EQ(asked, buttons == kLButton ? edit : Calls{});
        EXPECT_EQ(button->getValue(), 0.f);
    }
    setBrowserLauncher(nullptr);
    EXPECT_EQ(opened, Calls(2, VSTGuiEditor::kMakerSite));
    EXPECT_EQ(frame()->getView(frame()->getNbViews() - 1), editor()->getHelpOverlay());
}

TEST_F(EditorTest, HelpOverlayHotSpotsLeadToPagesAndAClickElsewhereHidesIt) {
    // Hot spots reach to their edges; a click on a page returns to the
    // overview, moves change nothing, and a release counts where it happens,
    // also past the window's edge (no page: hidden).
    const std::tuple<double, double, std::string> clicks[] = {
        {20, 100, "help3.png"},  {300, 100, "help2.png"}, {271, 72, "help3.png"},
        {14, 66, "help1.png"},   {271, 223, "help4.png"}, {277, 154, "help2.png"},
        {563, 352, "help5.png"}, {20, 0, "help1.png"},    {600, 300, ""},
        {274, 100, ""},          {10, 100, ""},
    };
    for (const auto& [x, y, page] : clicks) {
        SCOPED_TRACE(x);
        editor()->showHelp();
        HelpOverlay* overlay = editor()->getHelpOverlay();
        editor()->showHelp();
        ASSERT_EQ(editor()->getHelpOverlay(), overlay);
        EXPECT_EQ(frame()->getNbViews(), 17);
        guitest::down(frame(), std::min(x, 570.0), y);
        guitest::moveTo(frame(), 300, 100);
        EXPECT_EQ(pictureOf(overlay), "helpoverlay.png");
        guitest::up(frame(), x, y);
        if (!page.empty()) {
            EXPECT_EQ(pictureOf(overlay), page);
            clickAt(x, y);
            EXPECT_TRUE(overlay->isShowingOverview());
            editor()->hideHelp();
        }
        EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
        EXPECT_EQ(frame()->getNbViews(), 16);
        editor()->hideHelp();
    }
    // Closing the window with the overlay shown releases it with the rest;
    // without a window there is no overlay to show.
    editor()->showHelp();
    host->dispatch(effEditClose);
    editor()->showHelp();
    EXPECT_EQ(editor()->getHelpOverlay(), nullptr);
}

TEST_F(EditorTest, BottleViewShowsEachRowsPictureAndSlidesTheNextOneIn) {
    BottleView* view = editor()->getBottleView();
    const std::pair<int32, std::string> rows[] = {
        {0, "default0"},  {2, "drums0"},   {6, "drums4"},   {8, "leads0"}, {16, "leads8"},
        {17, "leads0"},   {40, "bass3"},   {68, "bass7"},   {82, "pads5"}, {84, "lasers0"},
        {146, "lasers6"}, {148, "other0"}, {176, "other4"}, {1, ""},       {7, ""},
        {36, ""},         {69, ""},        {83, ""},        {147, ""},     {-1, ""},
        {177, ""}};
    for (const auto& [row, name] : rows) {
        CView* bottle = view->bottleViewForRow(row);
        EXPECT_EQ(pictureOf(bottle), name.empty() ? "" : "bottle_" + name + ".png") << row;
        bottle->forget();
    }
    const auto children = [&view] {
        std::vector<CView*> views;
        for (int32 i = 0; i < view->getNbViews(); ++i)
            views.push_back(view->getView(i));
        return views;
    };
    const auto change = [&](bool forward, int32 row) {
        return printedBy([&] { forward ? view->nextBottle(row) : view->previousBottle(row); });
    };
    EXPECT_EQ(children(), (std::vector<CView*>{view->getCurrentBottle(), view->getShine()}));
    // The incoming bottle starts one bottle width beside the old one; a change
    // during an exchange finishes the running one first. Negative rows wrap.
    for (const auto& [forward, settles, row, printed] :
         {std::tuple<bool, bool, int32, std::string>{true, true, 10, "next animation: 0 to 10\n"},
          {false, true, 3, "currentbottle idx: 3, index=3\n"},
          {true, false, 20, "next animation: 3 to 20\n"},
          {false, true, 0, "currentbottle idx: 0, index=0\n"},
          {false, true, -1, "currentbottle idx: 176, index=-1\n"},
          {true, true, -1, "next animation: 176 to 0\n"},
          {true, true, 0, "next animation: 0 to 0\n"}}) {
        SCOPED_TRACE(printed);
        CView* old = view->getCurrentBottle();
        EXPECT_EQ(change(forward, row), printed);
        CView* incoming = view->getCurrentBottle();
        EXPECT_EQ(children(), (std::vector<CView*>{old, incoming, view->getShine()}));
        CView* expected = view->bottleViewForRow(view->getCurrentIndex());
        EXPECT_EQ(pictureOf(incoming), pictureOf(expected));
        expected->forget();
        host->idle();
        EXPECT_DOUBLE_EQ(incoming->getViewSize().left, 18 + (forward ? 127 : -127));
        if (settles) {
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
