#include "guitestsupport.h"

#include <cmath>

using namespace VSTGUI;
using namespace guitest;

namespace {

class SelectionRecorder : public IGenericStringListDataBrowserSourceSelectionChanged {
public:
    void dbSelectionChanged(int32 row, GenericStringListDataBrowserSource* source) override {
        rows.push_back(row);
        sources.push_back(source);
    }
    std::vector<int32> rows;
    std::vector<GenericStringListDataBrowserSource*> sources;
};

const CColor kGold(253, 203, 10), kScroller(33, 33, 33);

// A list of 177 rows, 10 pixels each, in a 100 x 200 browser at (10, 20)
// with a 16-pixel scroll bar, set up as an editor would.
struct DataBrowserTest : FrameTest {
    explicit DataBrowserTest(int32 rowHeight = 10) : FrameTest(CRect(0, 0, 200, 300)) {
        for (int i = 0; i < 177; ++i)
            names.push_back("Program " + std::to_string(i));
        source = new GenericStringListDataBrowserSource(&names, &recorder);
        source->setupUI(kGold, CColor(255, 255, 255), CColor(0, 0, 0, 0), CColor(0, 0, 0, 0),
                        CColor(0, 0, 0, 0), nullptr, rowHeight);
        browser = new CDataBrowser(CRect(10, 20, 110, 220), frame, source,
                                   CScrollView::kVerticalScrollbar, 16);
        source->forget(); // the browser holds it now
        browser->getVerticalScrollbar()->setScrollerColor(kScroller);
        frame->addView(browser);
    }

    std::vector<std::string> names;
    SelectionRecorder recorder;
    GenericStringListDataBrowserSource* source;
    CDataBrowser* browser;
};

TEST_F(DataBrowserTest, ClickSelectsTheRowUnderThePointerAndReportsOnlyChanges) {
    EXPECT_EQ(browser->getSelectedRow(), CDataBrowser::kNoSelection);
    const struct {
        CCoord x, y;
        int32 selected;
    } clicks[] = {{15, 25, 0}, {50, 59.9, 3}, {50, 59.9, 3}, {93, 60, 4}, {20, 219, 19}};
    for (const auto& c : clicks) {
        EXPECT_EQ(click(frame, c.x, c.y), kMouseEventHandled);
        EXPECT_EQ(browser->getSelectedRow(), c.selected) << c.y;
    }
    EXPECT_EQ(recorder.rows, (std::vector<int32>{0, 3, 4, 19}));
    EXPECT_EQ(recorder.sources, decltype(recorder.sources)(4, source));
    EXPECT_EQ(click(frame, 50, 60, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(browser->getSelectedRow(), 19);
}

TEST_F(DataBrowserTest, WheelScrollsThreeRowsPerNotchWithinTheList) {
    const CCoord max = 177 * 10 - 200;
    const struct {
        float distance;
        CCoord offset;
    } steps[] = {{-1.f, 30}, {-2.f, 90}, {1.f, 60}, {5.f, 0}, {-1000.f, max}};
    for (const auto& s : steps) {
        EXPECT_TRUE(frame->onWheel(CPoint(50, 100), s.distance, 0));
        EXPECT_EQ(browser->getScrollOffset(), s.offset) << s.distance;
    }
    // A distance that is no number leaves the list where it is.
    frame->onWheel(CPoint(50, 100), std::nanf(""), 0);
    EXPECT_EQ(browser->getScrollOffset(), max);
    click(frame, 50, 25); // the first visible row is now the 158th
    EXPECT_EQ(browser->getSelectedRow(), 157);
}

TEST_F(DataBrowserTest, ScrollBarDragAndTrackClicksScroll) {
    CScrollbar* bar = browser->getVerticalScrollbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->getViewSize(), CRect(84, 0, 100, 200));
    const CRect scroller = bar->getScrollerRect();
    EXPECT_NEAR(scroller.getHeight(), 200.0 * 200 / 1770, 1e-9);
    EXPECT_EQ(scroller.top, 0);

    // Dragging the scroller over its whole travel scrolls over the whole list.
    drag(frame, {CPoint(100, 25), CPoint(100, 25 + 200 - scroller.getHeight())});
    EXPECT_NEAR(browser->getScrollOffset(), 1570, 1e-9);
    EXPECT_EQ(recorder.rows.size(), 0u) << "scrolling selects nothing";

    // A click on the track above the scroller goes up one page.
    click(frame, 100, 30);
    EXPECT_NEAR(browser->getScrollOffset(), 1370, 1e-9);
}

TEST_F(DataBrowserTest, SetSelectedRowScrollsIntoViewAndReportsChangesOnly) {
    browser->setSelectedRow(100, true);
    EXPECT_EQ(browser->getSelectedRow(), 100);
    EXPECT_EQ(browser->getScrollOffset(), 1010 - 200) << "scrolled as little as needed";
    browser->setSelectedRow(100, true);
    browser->setSelectedRow(2, false);
    EXPECT_EQ(browser->getScrollOffset(), 810) << "not made visible";
    browser->setSelectedRow(2, true);
    EXPECT_EQ(browser->getScrollOffset(), 20);
    browser->setSelectedRow(177, true);
    EXPECT_EQ(browser->getSelectedRow(), CDataBrowser::kNoSelection);
    EXPECT_EQ(recorder.rows, (std::vector<int32>{100, 2, CDataBrowser::kNoSelection}));
}

TEST_F(DataBrowserTest, DrawsTheSelectionBarTextAndScroller) {
    frame->setBackgroundColor(CColor(0, 0, 128));
    browser->setSelectedRow(1);
    frame->idle();
    EXPECT_EQ(frame->getPixel(12, 39), kGold) << "row 1 spans y 30..40";
    EXPECT_EQ(frame->getPixel(80, 25), CColor(0, 0, 128)) << "transparent rows";
    EXPECT_EQ(frame->getPixel(102, 22), kScroller);
    bool white = false;
    for (int x = 12; x < 60 && !white; ++x)
        for (int y = 20; y < 30 && !white; ++y)
            white = frame->getPixel(x, y).red > 200 && frame->getPixel(x, y).blue > 200;
    EXPECT_TRUE(white) << "row 0's text";
}

TEST_F(DataBrowserTest, ReadsTheStringListInPlace) {
    EXPECT_EQ(browser->getNumRows(), 177);
    names.resize(5);
    EXPECT_EQ(browser->getNumRows(), 5);
    EXPECT_EQ(browser->getMaxScrollOffset(), 0);
    frame->idle(); // drawing a shorter list must not read past its end
}

struct AutoRowHeight : DataBrowserTest {
    AutoRowHeight() : DataBrowserTest(-1) {}
};

TEST_F(AutoRowHeight, RowHeightComesFromTheFont) {
    const CCoord h = browser->getRowHeight();
    EXPECT_GE(h, 12 + 2);
    EXPECT_LE(h, 20);
    EXPECT_EQ(h, std::floor(h));
    click(frame, 50, 20 + 2.5 * h);
    EXPECT_EQ(browser->getSelectedRow(), 2);
}

TEST(DataBrowserOwnership, TheBrowserReleasesItsSource) {
    std::vector<std::string> names{"a", "b"};
    auto* source = new GenericStringListDataBrowserSource(&names);
    auto* browser = new CDataBrowser(CRect(0, 0, 50, 50), nullptr, source);
    EXPECT_EQ(source->getNbReference(), 2);
    source->forget();
    browser->setSelectedRow(1); // no delegate: nothing to tell
    browser->forget();          // leaks show under the leak checker
}

} // namespace
