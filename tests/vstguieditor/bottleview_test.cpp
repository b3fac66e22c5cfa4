// The bottle view on its own, in an off-screen window on a hand-stepped clock.

#include "editorhost.h"

#include "gui/vstgui.h"
#include "resources/instrumentimages.h"
#include "vstguieditor/bottleview.h"

#include <string>

using namespace VSTGUI;

namespace {

class BottleViewTest : public testing::Test {
protected:
    void SetUp() override {
        amber::registerInstrumentImages();
        frame = new CFrame(CRect(0, 0, 578, 356), nullptr);
        frame->setTimeSource([this] { return nowMs; });
        makeView(177);
    }
    void TearDown() override { frame->forget(); }
    void makeView(int32 rows) {
        if (view) {
            frame->removeView(view, true);
        }
        auto* container = new CBitmap(CResourceDescription("container1.png"));
        view = new BottleView(CRect(209, 88, 371, 301), frame, container, rows);
        container->forget();
        frame->addView(view);
    }
    void advance(uint64_t ms) {
        nowMs += ms;
        frame->idle();
    }
    // Finishes the running exchange.
    void settle() { advance(BottleView::kExchangeMs); }
    std::string next(int32 row) {
        return printedBy([&] { view->nextBottle(row); });
    }
    std::string previous(int32 row) {
        return printedBy([&] { view->previousBottle(row); });
    }

    CFrame* frame = nullptr;
    BottleView* view = nullptr;
    uint64_t nowMs = 5000;
};

TEST_F(BottleViewTest, RowsShowTheirCategorysPictures) {
    const struct {
        int32 row;
        const char* picture;
    } cases[] = {{0, "bottle_default0.png"},
                 {2, "bottle_drums0.png"},
                 {6, "bottle_drums4.png"},
                 {8, "bottle_leads0.png"},
                 {16, "bottle_leads8.png"},
                 {17, "bottle_leads0.png"},
                 {35, "bottle_leads0.png"},
                 {40, "bottle_bass3.png"},
                 {68, "bottle_bass7.png"},
                 {77, "bottle_pads0.png"},
                 {82, "bottle_pads5.png"},
                 {84, "bottle_lasers0.png"},
                 {146, "bottle_lasers6.png"},
                 {148, "bottle_other0.png"},
                 {175, "bottle_other3.png"},
                 {176, "bottle_other4.png"},
                 {1, ""},
                 {7, ""},
                 {36, ""},
                 {69, ""},
                 {83, ""},
                 {147, ""},
                 {-1, ""},
                 {177, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        CView* bottle = view->bottleViewForRow(c.row);
        EXPECT_EQ(bottle->getViewSize(), BottleView::kBottleRect);
        EXPECT_FALSE(bottle->isAttached());
        EXPECT_EQ(pictureOf(bottle), c.picture);
        if (bottle->getBackground()) {
            EXPECT_TRUE(bottle->getBackground()->isLoaded());
            EXPECT_EQ(bottle->getBackground()->getWidth(), 127);
            EXPECT_EQ(bottle->getBackground()->getHeight(), 218);
        }
        bottle->forget();
    }
}

TEST_F(BottleViewTest, ExchangeSlidesTheNewBottleInFromTheSideOfTheChange) {
    // At the start: row 0's bottle under the shine, inside the container.
    ASSERT_EQ(view->getNbViews(), 2);
    EXPECT_EQ(view->getView(0), view->getCurrentBottle());
    EXPECT_EQ(pictureOf(view->getCurrentBottle()), "bottle_default0.png");
    EXPECT_EQ(view->getView(1), view->getShine());
    EXPECT_EQ(view->getShine()->getViewSize(), BottleView::kShineRect);
    EXPECT_EQ(pictureOf(view->getShine()), "container_shine.png");
    EXPECT_EQ(pictureOf(view), "container1.png");

    const struct {
        bool forward;
        int32 row;
        double startLeft; // one bottle width beside the old bottle
    } cases[] = {{true, 10, 18 + 127}, {false, 3, 18 - 127}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.forward);
        CView* old = view->getCurrentBottle();
        c.forward ? next(c.row) : previous(c.row);
        CView* incoming = view->getCurrentBottle();
        ASSERT_EQ(view->getNbViews(), 3);
        EXPECT_EQ(view->getView(0), old);
        EXPECT_EQ(view->getView(1), incoming);
        EXPECT_EQ(view->getView(2), view->getShine());
        EXPECT_EQ(old->getViewSize().left, 18);

        frame->idle();
        EXPECT_DOUBLE_EQ(incoming->getViewSize().left, c.startLeft);
        settle();
        EXPECT_EQ(incoming->getViewSize(), BottleView::kBottleRect);
        ASSERT_EQ(view->getNbViews(), 2);
        EXPECT_EQ(view->getView(0), incoming);
        EXPECT_EQ(view->getView(1), view->getShine());
    }
}

TEST_F(BottleViewTest, ChangeDuringAnExchangeFinishesItFirst) {
    next(10);
    CView* first = view->getCurrentBottle();
    advance(50);
    next(20);
    CView* second = view->getCurrentBottle();
    ASSERT_EQ(view->getNbViews(), 3);
    EXPECT_EQ(view->getView(0), first);
    EXPECT_EQ(first->getViewSize(), BottleView::kBottleRect);
    EXPECT_EQ(view->getView(1), second);
    EXPECT_EQ(view->getView(2), view->getShine());
    settle();
    EXPECT_EQ(view->getNbViews(), 2);
}

TEST_F(BottleViewTest, PrintsEachChangeAndWrapsNegativeRows) {
    const struct {
        bool forward;
        int32 row;
        const char* printed;
    } steps[] = {
        {true, 2, "next animation: 0 to 2\n"},
        {true, 8, "next animation: 2 to 8\n"},
        {false, 2, "currentbottle idx: 2, index=2\n"},
        {false, 0, "currentbottle idx: 0, index=0\n"},
        {false, -1, "currentbottle idx: 176, index=-1\n"},
        {true, -1, "next animation: 176 to 0\n"},
        {true, 0, "next animation: 0 to 0\n"}, // the row already shown slides in again
    };
    for (const auto& s : steps) {
        CView* shown = view->getCurrentBottle();
        EXPECT_EQ(s.forward ? next(s.row) : previous(s.row), s.printed);
        EXPECT_NE(view->getCurrentBottle(), shown);
        CView* expected = view->bottleViewForRow(view->getCurrentIndex());
        EXPECT_EQ(pictureOf(view->getCurrentBottle()), pictureOf(expected)) << s.printed;
        expected->forget();
        settle();
    }
    EXPECT_EQ(view->getCurrentIndex(), 0);
    EXPECT_EQ(pictureOf(view->getCurrentBottle()), "bottle_default0.png");
}

TEST_F(BottleViewTest, HeaderRowLeavesOnlyBackgroundAndShine) {
    next(36);
    settle();
    ASSERT_EQ(view->getNbViews(), 2);
    EXPECT_EQ(view->getView(0)->getBackground(), nullptr);
    EXPECT_EQ(view->getView(1), view->getShine());
    frame->render();
    // The container's background shows where the bottle would stand.
    EXPECT_EQ(frame->getPixel(209 + 80, 88 + 200).alpha, 255);
}

TEST_F(BottleViewTest, FewRowsNeverReachPastTheTable) {
    for (int32 rows : {0, 1, 10, 148}) {
        SCOPED_TRACE(rows);
        makeView(rows);
        next(-1);
        previous(-1);
        previous(-1);
        next(rows + 3);
        settle();
        EXPECT_EQ(view->getNbViews(), 2);
    }
}

} // namespace
