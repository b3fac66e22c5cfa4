// The editor driven as a host drives it: through the plug-in's AEffect
// record, with the window off-screen and synthetic mouse events.

#include "editorhost.h"

#include "gui/canimknob.h"
#include "gui/cdatabrowser.h"
#include "gui/ctextlabel.h"
#include "gui/genericstringlistdatabrowsersource.h"
#include "platform/browser.h"
#include "vstguieditor/bottleview.h"
#include "vstguieditor/callbackbutton.h"
#include "vstguieditor/kestrovalianbadge.h"

#include <cmath>
#include <string>
#include <thread>

using namespace VSTGUI;

namespace {

constexpr int kPrograms = 177;
const CPoint kPrevButton(170, 200), kNextButton(410, 200), kKnobCentre(320, 130);
CPoint categoryButton(int i) {
    return CPoint(510, 94 + 29 * i + 14);
}
std::string text(const CTextLabel* label) {
    return label ? label->getText() : "<no label>";
}
// Sets parameter 0 from a thread other than the GUI thread, as hosts automate.
void automateElsewhere(AEffect* effect, float value) {
    std::thread([effect, value] { effect->setParameter(effect, 0, value); }).join();
}

TEST_F(EditorBeforeOpen, RecordCarriesTheEditorAndTheRectIsKnown) {
    EXPECT_EQ(host->effect()->flags, 0x111);
    ERect* rect = nullptr;
    ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(std::vector<int>({rect->top, rect->left, rect->bottom, rect->right}),
              std::vector<int>({0, 0, 356, 578}));
    EXPECT_EQ(host->frame(), nullptr);
}

TEST_F(EditorBeforeOpen, ValueWaitingFromAnotherThreadNeverReplacesANewerOne) {
    // Posted while the window is closed; the host then changes program on its
    // GUI thread, and the window opens with the new program's value.
    automateElsewhere(host->effect(), 0.9f);
    setProgram(40);
    open();
    host->idle();
    EXPECT_EQ(knob(), Knob(0.5f, "0 osc"));

    // Posted while the window is open: shown at the next idle, not before.
    automateElsewhere(host->effect(), 0.9f);
    EXPECT_EQ(knob(), Knob(0.5f, "0 osc"));
    host->idle();
    EXPECT_EQ(knob(), Knob(0.9f, "2 osc"));

    // Posted while the window is open, then overtaken on the GUI thread.
    automateElsewhere(host->effect(), 0.1f);
    setProgram(41);
    host->idle();
    EXPECT_EQ(knob(), Knob(0.5f, "0 osc"));
}

TEST_F(EditorTest, WidgetWalkReportsUnknownTypesAndStopsAtTheEnd) {
    const std::vector<VSTGuiEditor::WidgetSpec> table = {
        {"CSlider", 0, CRect(0, 0, 10, 10)},
        {"CKnob", 7, CRect(0, 0, 10, 10)}, // names no parameter
        {"END", 0, CRect()},
        {"CKnob", 0, CRect(0, 0, 10, 10)},
    };
    EXPECT_EQ(printedBy([&] { editor()->walkWidgetTable(table, nullptr); }),
              "Error: Unknown VST widget type!\n1\n2\n");
    EXPECT_EQ(frame()->getNbViews(), 16);
    EXPECT_EQ(editor()->getKnobs().size(), 1u);
}

TEST_F(EditorTest, ViewsHaveTheirPlacesAndAddingOrder) {
    const struct {
        CRect rect;
        std::string picture;
        bool button; // a callback button, tag 12345, no listener
    } expected[] = {
        {CRect(296, 106, 344, 154), "animknob.png", false},  // knob
        {CRect(276, 154, 364, 174), "", false},              // value label
        {CRect(276, 86, 364, 106), "", false},               // name label
        {CRect(435, 2, 580, 31), "kestrovalian.png", true},  // logo
        {CRect(138, 84, 201, 310), "prevprog.png", true},    // previous
        {CRect(380, 84, 443, 310), "nextprog.png", true},    // next
        {CRect(209, 88, 371, 301), "container1.png", false}, // bottle
        {CRect(209, 62, 371, 76), "", false},                // program name
        {CRect(10, 84, 125, 304), "", false},                // program list
        {CRect(454, 94, 569, 123), "at_faves.png", true},    // categories
        {CRect(454, 123, 569, 152), "at_drums.png", true},
        {CRect(454, 152, 569, 181), "at_leads.png", true},
        {CRect(454, 181, 569, 210), "at_bass.png", true},
        {CRect(454, 210, 569, 239), "at_pads.png", true},
        {CRect(454, 239, 569, 268), "at_lasers.png", true},
        {CRect(454, 268, 569, 297), "at_other.png", true},
    };
    ASSERT_EQ(frame()->getNbViews(), 16);
    EXPECT_EQ(pictureOf(frame()), "background.png");
    EXPECT_EQ(frame()->getViewSize(), CRect(0, 0, 578, 356));
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        CView* view = frame()->getView(i);
        EXPECT_EQ(view->getViewSize(), expected[i].rect);
        EXPECT_EQ(pictureOf(view), expected[i].picture);
        EXPECT_TRUE(!view->getBackground() || view->getBackground()->isLoaded());
        auto* button = dynamic_cast<CallbackButton*>(view);
        ASSERT_EQ(button != nullptr, expected[i].button);
        if (button) {
            EXPECT_EQ(button->getTag(), 12345);
            EXPECT_EQ(button->getListener(), nullptr);
        }
        if (auto* label = dynamic_cast<CTextLabel*>(view)) {
            EXPECT_TRUE(label->getTransparency());
            EXPECT_EQ(label->getBackColor(), CColor(0, 0, 0, 0));
            EXPECT_EQ(label->getFrameColor(), CColor(0, 0, 0, 0));
            EXPECT_EQ(label->getStyle(), 0);
        }
    }
    EXPECT_EQ(frame()->getView(0), editor()->getKnobs()[0]);
    EXPECT_EQ(frame()->getView(1), editor()->getParamDisplays()[0]);
    EXPECT_EQ(frame()->getView(2), editor()->getParamLabels()[0]);
    EXPECT_EQ(frame()->getView(6), editor()->getBottleView());
    EXPECT_EQ(frame()->getView(7), editor()->getProgramNameLabel());
    EXPECT_EQ(frame()->getView(8), editor()->getProgramBrowser());

    auto* knob = editor()->getKnobs()[0];
    EXPECT_EQ(knob->getTag(), 0);
    EXPECT_EQ(knob->getNumSubPixmaps(), 30);
    EXPECT_EQ(knob->getHeightOfOneImage(), 48);
    EXPECT_EQ(knob->getListener(), static_cast<CControlListener*>(editor()));
    const CFontRef nameFont = editor()->getParamLabels()[0]->getFont();
    ASSERT_NE(nameFont, nullptr);
    EXPECT_STREQ(nameFont->getName(), "Arial");
    EXPECT_EQ(nameFont->getSize(), 12);

    CDataBrowser* list = editor()->getProgramBrowser();
    EXPECT_EQ(list->getStyle(), CScrollView::kVerticalScrollbar);
    EXPECT_EQ(list->getScrollbarWidth(), 16);
    ASSERT_NE(list->getVerticalScrollbar(), nullptr);
    EXPECT_EQ(list->getVerticalScrollbar()->getScrollerColor(), CColor(33, 33, 33, 255));
    auto* source = dynamic_cast<GenericStringListDataBrowserSource*>(list->getDelegate());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->getSelectionColor(), CColor(253, 203, 10, 255));
    EXPECT_EQ(source->getStringList(), &editor()->getProgramNames());
}

TEST_F(EditorTest, ReopeningRebuildsTheSameWindowWithoutDuplicates) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        // The second round opens again without closing, as some hosts do.
        if (round != 1) {
            host->dispatch(effEditClose);
            EXPECT_EQ(host->frame(), nullptr);
            EXPECT_TRUE(editor()->getKnobs().empty());
            EXPECT_TRUE(editor()->getParamDisplays().empty());
            EXPECT_TRUE(editor()->getParamLabels().empty());
        }
        open();
        EXPECT_EQ(frame()->getNbViews(), 16);
        EXPECT_EQ(editor()->getProgramBrowser()->getNumRows(), kPrograms);
        EXPECT_EQ(editor()->getProgramNames().size(), static_cast<std::size_t>(kPrograms));
        EXPECT_EQ(editor()->getKnobs().size(), 1u);
        EXPECT_EQ(editor()->getParamDisplays().size(), 1u);
        EXPECT_EQ(editor()->getParamLabels().size(), 1u);
        EXPECT_EQ(editor()->getKnobs()[0]->getFrame(), host->frame());
        // The start state: nothing selected, the parameter's name and value.
        EXPECT_EQ(editor()->getProgramBrowser()->getSelectedRow(), CDataBrowser::kNoSelection);
        EXPECT_STREQ(editor()->getProgramNameLabel()->getText(), "");
        EXPECT_EQ(editor()->getBottleView()->getCurrentIndex(), 0);
        EXPECT_EQ(text(editor()->getParamLabels()[0]), "Funkiness");
        EXPECT_EQ(knob(), Knob(0.5f, "0 osc"));
    }
    // Closing twice, or without a window, does nothing.
    host->dispatch(effEditClose);
    host->dispatch(effEditClose);
    EXPECT_EQ(host->frame(), nullptr);
}

TEST_F(EditorTest, KnobDragAndWheelAutomateParameterZeroAndShowItsDisplay) {
    host->clearCalls();
    // Half the drag range up: from the middle to the top of the range.
    guitest::drag(frame(), {kKnobCentre, CPoint(kKnobCentre.x, kKnobCentre.y - 100)});
    auto calls = host->calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls.front().index, 0);
    EXPECT_EQ(calls.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(calls.back().index, 0);
    for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
        EXPECT_EQ(calls[i].opcode, audioMasterAutomate);
        EXPECT_EQ(calls[i].index, 0);
    }
    EXPECT_FLOAT_EQ(calls[calls.size() - 2].opt, 1.0f);
    EXPECT_EQ(knob(), Knob(1.0f, "3 osc"));
    EXPECT_FLOAT_EQ(host->effect()->getParameter(host->effect(), 0), 1.0f);

    // The bottle view lies on top of the knob; it lets wheel turns through.
    editor()->getKnobs()[0]->setValue(0.5f);
    host->clearCalls();
    EXPECT_TRUE(frame()->onWheel(kKnobCentre, 1.f, CButtonState()));
    EXPECT_GT(editor()->getKnobs()[0]->getValue(), 0.5f);
    EXPECT_EQ(host->callOpcodes(), (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate,
                                                          audioMasterEndEdit}));
}

TEST_F(EditorTest, HostParameterAndProgramChangesMoveOnlyKnobAndValue) {
    AEffect* effect = host->effect();
    effect->setParameter(effect, 0, 0.9f);
    EXPECT_EQ(knob(), Knob(0.9f, "2 osc"));

    // Program 40 keeps its own "Funkiness" at 0.
    EXPECT_EQ(printedBy([&] { host->dispatch(effSetProgram, 0, 40); }).find("clicked"),
              std::string::npos);
    EXPECT_EQ(currentProgram(), 40);
    EXPECT_EQ(knob(), Knob(0.5f, "0 osc"));
    EXPECT_EQ(editor()->getProgramBrowser()->getSelectedRow(), CDataBrowser::kNoSelection);
    EXPECT_STREQ(editor()->getProgramNameLabel()->getText(), "");
    EXPECT_EQ(editor()->getBottleView()->getCurrentIndex(), 0);

    // A refused program still pushes the current program's values (the
    // dispatcher passes negative programs on).
    effect->setParameter(effect, 0, 0.0f);
    editor()->getKnobs()[0]->setValue(0.7f);
    setProgram(-1);
    EXPECT_EQ(currentProgram(), 40);
    EXPECT_EQ(knob(), Knob(0.0f, "-3 osc"));

    // Out-of-range indices and values that are no number change no view.
    effect->setParameter(effect, 1, 0.25f);
    effect->setParameter(effect, -1, 0.25f);
    editor()->setParameter(0, std::nanf(""));
    EXPECT_EQ(knob(), Knob(0.0f, "-3 osc"));
}

TEST_F(EditorTest, ListSelectionLoadsAnimatesNamesAndUpdatesTheHost) {
    host->clearCalls();
    std::string printed = clickRow(3);
    EXPECT_NE(printed.find("next animation: 0 to 3\nclicked 3\n"), std::string::npos) << printed;
    EXPECT_EQ(currentProgram(), 3);
    EXPECT_EQ(editor()->getLastSelectedRow(), 3);
    EXPECT_STREQ(editor()->getProgramNameLabel()->getText(), "Snares");
    EXPECT_EQ(host->countCalls(audioMasterUpdateDisplay), 1);

    BottleView* bottle = editor()->getBottleView();
    EXPECT_EQ(bottle->getNbViews(), 3);
    EXPECT_EQ(pictureOf(bottle->getCurrentBottle()), "bottle_drums1.png");
    host->advance(BottleView::kExchangeMs);
    EXPECT_EQ(bottle->getNbViews(), 2);
    EXPECT_EQ(bottle->getView(0), bottle->getCurrentBottle());
    EXPECT_EQ(bottle->getView(1), bottle->getShine());

    // A lower row animates back; a header row is a program like any other.
    printed = clickRow(1);
    EXPECT_NE(printed.find("currentbottle idx: 1, index=1\nclicked 1\n"), std::string::npos)
        << printed;
    EXPECT_EQ(currentProgram(), 1);
    EXPECT_STREQ(editor()->getProgramNameLabel()->getText(), "-= DRUMS =-");
    EXPECT_EQ(pictureOf(bottle->getCurrentBottle()), "");

    // The views refer to the editor: closing the plug-in with the window open
    // must release them with it, not after it (the address and leak checkers
    // watch this).
    host->closePlugin();
}

TEST_F(EditorTest, NextAndPreviousStartFromTheHostsProgramAndWrap) {
    const struct {
        int hostProgram; // -1: leave as it is
        CPoint button;
        int expectedRow;
    } steps[] = {{kPrograms - 1, kNextButton, 0},
                 {-1, kPrevButton, kPrograms - 1},
                 {40, kNextButton, 41},
                 {40, kPrevButton, 39},
                 {-1, kNextButton, 40}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.expectedRow);
        if (step.hostProgram >= 0) {
            setProgram(step.hostProgram);
        }
        const std::string printed = clickAt(step.button.x, step.button.y);
        EXPECT_NE(printed.find("clicked " + std::to_string(step.expectedRow) + "\n"),
                  std::string::npos)
            << printed;
        EXPECT_EQ(editor()->getProgramBrowser()->getSelectedRow(), step.expectedRow);
        EXPECT_EQ(currentProgram(), step.expectedRow);
    }
}

TEST_F(EditorTest, CategoryButtonsSelectTheirRowsInsideTheButtonsEdit) {
    const int rows[] = {0, 2, 8, 37, 70, 84, 148};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(rows[i]);
        host->clearCalls();
        const std::string printed = clickAt(categoryButton(i).x, categoryButton(i).y);
        EXPECT_EQ(printed.rfind("mouse button up!\n", 0), 0u) << printed;
        EXPECT_NE(printed.find("clicked " + std::to_string(rows[i]) + "\n"), std::string::npos);
        EXPECT_EQ(currentProgram(), rows[i]);
        // The program change and the display update happen inside the edit.
        EXPECT_EQ(host->callOpcodes(),
                  (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterUpdateDisplay,
                                         audioMasterEndEdit}));
        EXPECT_EQ(host->calls().front().index, 12345);
        EXPECT_EQ(host->calls().back().index, 12345);
    }

    // The button of the row still selected does nothing, whatever the host's
    // program is now.
    host->advance(BottleView::kExchangeMs);
    setProgram(5);
    host->clearCalls();
    EXPECT_EQ(clickAt(categoryButton(6).x, categoryButton(6).y), "mouse button up!\n");
    EXPECT_EQ(currentProgram(), 5);
    EXPECT_EQ(host->countCalls(audioMasterUpdateDisplay), 0);
    EXPECT_EQ(editor()->getBottleView()->getNbViews(), 2);
}

TEST_F(EditorTest, LogoAndBadgeOpenTheMakersSite) {
    frame()->addView(new KestrovalianBadge(CRect(540, 330, 570, 350)));
    std::vector<std::string> opened;
    setBrowserLauncher([&opened](const std::string& url) { opened.push_back(url); });
    host->clearCalls();
    clickAt(500, 15);
    EXPECT_EQ(clickAt(555, 340), "Mouse up!\n");
    setBrowserLauncher(nullptr);
    EXPECT_EQ(opened, std::vector<std::string>(2, "https://kestrovalian.example/"));
    EXPECT_EQ(host->countCalls(audioMasterBeginEdit), host->countCalls(audioMasterEndEdit));
}

TEST_F(EditorTest, ParameterFromNormalizedUsesTheParametersMapping) {
    const struct {
        int index;
        float normalized;
        float value;
    } cases[] = {{0, 0.f, -3.f}, {0, 0.5f, 0.f}, {0, 0.99f, 2.f},
                 {0, 1.f, 3.f},  {1, 1.f, 0.f},  {-1, 1.f, 0.f}};
    for (const auto& c : cases) {
        EXPECT_EQ(editor()->parameterFromNormalized(c.index, c.normalized), c.value)
            << c.index << " " << c.normalized;
    }
}

} // namespace
