#include "guitestsupport.h"

#include <cmath>
#include <string>

using namespace VSTGUI;
using namespace guitest;

namespace {

class SelectionRecorder : public IGenericStringListDataBrowserSourceSelectionChanged {
public:
    void dbSelectionChanged(int32 row, GenericStringListDataBrowserSource*) override {
        rows.push_back(row);
    }
    std::vector<int32> rows;
};

const CColor kGold(253, 203, 10), kScroller(33, 33, 33), kClear(0, 0, 0, 0);

// A list of 177 rows, 10 pixels each, in a 100 x 200 browser at (10, 20)
// with a 16-pixel scroll bar, set up as an editor would.
struct DataBrowserTest : FrameTest {
    explicit DataBrowserTest(int32 rowHeight = 10) : FrameTest(CRect(0, 0, 200, 300)) {
        for (int i = 0; i < 177; ++i)
            names.push_back("Program " + std::to_string(i));
        auto* source = new GenericStringListDataBrowserSource(&names, &recorder);
        source->setupUI(kGold, CColor(255, 255, 255), kClear, kClear, kClear, nullptr, rowHeight);
        browser = new CDataBrowser(CRect(10, 20, 110, 220), frame, source,
                                   CScrollView::kVerticalScrollbar, 16);
        source->forget(); // the browser holds it now
        browser->getVerticalScrollbar()->setScrollerColor(kScroller);
        frame->addView(browser);
    }

    std::vector<std::string> names;
    SelectionRecorder recorder;
    CDataBrowser* browser;
};

TEST_F(DataBrowserTest, LeftClicksSelectTheRowUnderThePointerAndOnlyChangesAreReported) {
    for (const auto& [y, selected] :
         {std::pair{25., 0}, {59.9, 3}, {59.9, 3}, {60., 4}, {219., 19}})
        EXPECT_EQ((click(frame, 93, y), browser->getSelectedRow()), selected) << y;
    EXPECT_EQ(click(frame, 50, 60, kRButton), kMouseEventNotHandled);
    browser->setSelectedRow(100, true);
    EXPECT_EQ(browser->getScrollOffset(), 1010 - 200) << "scrolled as little as needed";
    browser->setSelectedRow(2, false);
    EXPECT_EQ(browser->getScrollOffset(), 810) << "not made visible";
    browser->setSelectedRow(177, true);
    EXPECT_EQ(recorder.rows, (std::vector<int32>{0, 3, 4, 19, 100, 2, CDataBrowser::kNoSelection}));
}

TEST_F(DataBrowserTest, WheelScrollBarDragAndTrackClicksScrollWithinTheList) {
    const CCoord max = 177 * 10 - 200;
    const struct {
        float distance;
        CCoord offset;
    } steps[] = {{-1.f, 30}, {-2.f, 90}, {1.f, 60}, {5.f, 0}, {-1000.f, max}, {std::nanf(""), max}};
    for (const auto& s : steps) {
        frame->onWheel(CPoint(50, 100), s.distance, 0);
        EXPECT_EQ(browser->getScrollOffset(), s.offset) << s.distance;
    }
    click(frame, 50, 25); // the first visible row is now the 158th
    EXPECT_EQ(browser->getSelectedRow(), 157);

    CScrollbar* bar = browser->getVerticalScrollbar();
    EXPECT_EQ(bar->getViewSize(), CRect(84, 0, 100, 200));
    frame->onWheel(CPoint(50, 100), 1000.f, 0);
    const CRect scroller = bar->getScrollerRect();
    EXPECT_NEAR(scroller.getHeight(), 200.0 * 200 / 1770, 1e-9);
    // Dragging the scroller over its whole travel scrolls over the whole list.
    drag(frame, {CPoint(100, 25), CPoint(100, 25 + 200 - scroller.getHeight())});
    EXPECT_NEAR(browser->getScrollOffset(), max, 1e-9);
    click(frame, 100, 30); // the track above the scroller: one page up
    EXPECT_NEAR(browser->getScrollOffset(), max - 200, 1e-9);
    EXPECT_EQ(recorder.rows, (std::vector<int32>{157})) << "scrolling selects nothing";
}

TEST_F(DataBrowserTest, DrawsTheSelectionTextAndScrollerFromTheListReadInPlace) {
    frame->setBackgroundColor(CColor(0, 0, 128));
    browser->setSelectedRow(1);
    frame->idle();
    EXPECT_EQ(frame->getPixel(12, 39), kGold) << "row 1 spans y 30..40";
    EXPECT_EQ(frame->getPixel(80, 25), CColor(0, 0, 128)) << "transparent rows";
    EXPECT_EQ(frame->getPixel(102, 22), kScroller);
    names.resize(5);
    EXPECT_EQ(browser->getNumRows(), 5);
    EXPECT_EQ(browser->getMaxScrollOffset(), 0);
    EXPECT_EQ(browser->getVerticalScrollbar()->getScrollerRect(), CRect(84, 0, 100, 200))
        << "the scroller fills the track when every row shows";
    frame->idle(); // drawing a shorter list must not read past its end
}

} // namespace
