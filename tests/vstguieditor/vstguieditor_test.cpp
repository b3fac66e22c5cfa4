// The editor driven as a host drives it: through the plug-in's AEffect
// record, with the window off-screen and synthetic mouse events.

#include "editorhost.h"

#include "gui/cdatabrowser.h"
#include "vstguieditor/bottleview.h"

#include <cmath>
#include <thread>

using namespace VSTGUI;

namespace {

const CPoint kPrevButton(170, 200), kNextButton(410, 200), kKnobCentre(320, 130);

TEST_F(EditorBeforeOpen, RectIsKnownAndAWaitingValueNeverReplacesANewerOne) {
    ERect* rect = nullptr;
    ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(CRect(rect->left, rect->top, rect->right, rect->bottom), CRect(0, 0, 578, 356));
    // Values from another thread (as hosts automate) wait for the next idle;
    // a program change on the GUI thread overtakes them, also while closed.
    const struct {
        float value;
        int program; // changed after the value; -1: none
        Knob beforeIdle, afterIdle;
    } steps[] = {{0.9f, 40, {0.5f, "0 osc"}, {0.5f, "0 osc"}},
                 {0.9f, -1, {0.5f, "0 osc"}, {0.9f, "2 osc"}},
                 {0.1f, 41, {0.5f, "0 osc"}, {0.5f, "0 osc"}}};
    for (const auto& step : steps) {
        std::thread([&] { host->effect()->setParameter(host->effect(), 0, step.value); }).join();
        if (step.program >= 0) {
            setProgram(step.program);
        }
        if (!frame()) {
            open();
        }
        EXPECT_EQ(knob(), step.beforeIdle);
        host->idle();
        EXPECT_EQ(knob(), step.afterIdle);
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
        if (round > 0) {
            open();
        }
        ASSERT_EQ(frame()->getNbViews(), 16);
        for (int i = 0; i < 16; ++i) {
            const CBitmap* picture = frame()->getView(i)->getBackground();
            EXPECT_TRUE(!picture || picture->isLoaded()) << i;
        }
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
    EXPECT_EQ(printedBy([&] {
                  editor()->walkWidgetTable(
                      {{"CSlider", 0, r}, {"CKnob", 7, r}, {"END", 0, r}, {"CKnob", 0, r}},
                      nullptr);
              }),
              "Error: Unknown VST widget type!\n1\n2\n");
    EXPECT_EQ(frame()->getNbViews(), 16);
}

TEST_F(EditorTest, KnobAutomatesAndTheHostsChangesMoveOnlyKnobAndValue) {
    host->takeCalls();
    guitest::drag(frame(), {kKnobCentre, CPoint(kKnobCentre.x, kKnobCentre.y - 100)});
    const Calls calls = host->takeCalls();
    EXPECT_EQ(Calls(calls.end() - 2, calls.end()), (Calls{"automate 0 1.00", "end 0"}));
    EXPECT_EQ(knob(), Knob(1.0f, "3 osc"));
    // The bottle view lies on top of the knob; it lets wheel turns through.
    editor()->getKnobs()[0]->setValue(0.5f);
    EXPECT_TRUE(frame()->onWheel(kKnobCentre, 1.f, CButtonState()));
    EXPECT_GT(editor()->getKnobs()[0]->getValue(), 0.5f);
    EXPECT_EQ(host->takeCalls().size(), 3u);

    AEffect* effect = host->effect();
    effect->setParameter(effect, 0, 0.9f);
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
         {std::tuple(0, 0.99f, 2.f), {0, 1.f, 3.f}, {1, 1.f, 0.f}, {-1, 1.f, 0.f}}) {
        EXPECT_EQ(editor()->parameterFromNormalized(index, value), expected) << index;
    }
}

TEST_F(EditorTest, RowsFromListButtonsAndHostLoadAnimateNameAndUpdateTheHost) {
    const auto clickRow = [this](int32 row) {
        CDataBrowser* list = editor()->getProgramBrowser();
        list->makeRowVisible(row);
        const CRect cell = list->getRowRect(row), at = list->getViewSize();
        return clickAt(at.left + cell.left + 10, at.top + (cell.top + cell.bottom) / 2);
    };
    const auto category = [](int i) { return CPoint(510, 94 + 29 * i + 14); };
    // Previous and next start from the host's program (-1: as it is).
    const struct {
        int hostProgram;
        CPoint button; // (0, 0): the list row
        int row;
        const char* printed;
        const char* name;
    } steps[] = {
        {-1, CPoint(), 3, "next animation: 0 to 3\nclicked 3\n", "Snares"},
        {-1, CPoint(), 1, "currentbottle idx: 1, index=1\nclicked 1\n", "-= DRUMS =-"},
        {176, kNextButton, 0, "clicked 0\n", "Our Favorites"},
        {-1, kPrevButton, 176, "clicked 176\n", nullptr},
        {40, kNextButton, 41, "clicked 41\n", nullptr},
        {40, kPrevButton, 39, "clicked 39\n", nullptr},
        {-1, category(1), 2, "clicked 2\n", "Kicks"},
        {-1, category(3), 37, "clicked 37\n", nullptr},
        {-1, category(6), 148, "clicked 148\n", nullptr},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.row);
        if (step.hostProgram >= 0) {
            setProgram(step.hostProgram);
        }
        host->takeCalls();
        const std::string printed =
            step.button.x == 0 ? clickRow(step.row) : clickAt(step.button.x, step.button.y);
        EXPECT_NE(printed.find(step.printed), std::string::npos) << printed;
        EXPECT_EQ(host->dispatch(effGetProgram), step.row);
        EXPECT_EQ(editor()->getProgramBrowser()->getSelectedRow(), step.row);
        if (step.name) {
            EXPECT_STREQ(editor()->getProgramNameLabel()->getText(), step.name);
        }
        // A button's program change and display update happen inside its edit.
        const Calls update = {"update"}, edit = {"begin 12345", "update", "end 12345"};
        EXPECT_EQ(host->takeCalls(), step.button.x == 0 ? update : edit);
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

} // namespace
