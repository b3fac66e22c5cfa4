// The bottle view on its own, in an off-screen window on a hand-stepped clock.

#include "editorhost.h"

#include "resources/instrumentimages.h"
#include "vstguieditor/bottleview.h"

#include <string>

using namespace VSTGUI;
using Views = std::vector<CView*>;

namespace {

struct BottleViewTest : guitest::FrameTest {
    BottleViewTest() : FrameTest(CRect(0, 0, 578, 356)) {
        amber::registerInstrumentImages();
        frame->setTimeSource(clock.source());
        makeView(177);
    }
    void makeView(int32 rows) {
        if (view) {
            frame->removeView(view, true);
        }
        auto* container = new CBitmap(CResourceDescription("container1.png"));
        view = new BottleView(CRect(209, 88, 371, 301), frame, container, rows);
        container->forget();
        frame->addView(view);
    }
    std::string change(bool forward, int32 row) {
        return printedBy([&] { forward ? view->nextBottle(row) : view->previousBottle(row); });
    }
    void settle() {
        clock.now += BottleView::kExchangeMs;
        frame->idle();
    }
    Views children() {
        Views views;
        for (int32 i = 0; i < view->getNbViews(); ++i) {
            views.push_back(view->getView(i));
        }
        return views;
    }

    guitest::ManualClock clock;
    BottleView* view = nullptr;
};

TEST_F(BottleViewTest, RowsShowTheirCategorysPictures) {
    const std::pair<int32, std::string> cases[] = {
        {0, "default0"},  {2, "drums0"},   {6, "drums4"},   {8, "leads0"}, {16, "leads8"},
        {17, "leads0"},   {40, "bass3"},   {68, "bass7"},   {82, "pads5"}, {84, "lasers0"},
        {146, "lasers6"}, {148, "other0"}, {176, "other4"}, {1, ""},       {7, ""},
        {36, ""},         {69, ""},        {83, ""},        {147, ""},     {-1, ""},
        {177, ""}};
    for (const auto& [row, name] : cases) {
        CView* bottle = view->bottleViewForRow(row);
        EXPECT_EQ(pictureOf(bottle), name.empty() ? "" : "bottle_" + name + ".png") << row;
        EXPECT_EQ(bottle->getViewSize(), BottleView::kBottleRect) << row;
        bottle->forget();
    }
}

TEST_F(BottleViewTest, ExchangeSlidesTheNewBottleInFromTheSideOfTheChange) {
    EXPECT_EQ(children(), (Views{view->getCurrentBottle(), view->getShine()}));
    EXPECT_EQ(pictureOf(view->getShine()), "container_shine.png");
    // The incoming bottle starts one bottle width beside the old one; a change
    // during an exchange finishes the running one first. Negative rows wrap.
    const struct {
        bool forward, settles;
        int32 row;
        double startLeft;
        const char* printed;
    } steps[] = {{true, true, 10, 18 + 127, "next animation: 0 to 10\n"},
                 {false, true, 3, 18 - 127, "currentbottle idx: 3, index=3\n"},
                 {true, false, 20, 18 + 127, "next animation: 3 to 20\n"},
                 {false, true, 0, 18 - 127, "currentbottle idx: 0, index=0\n"},
                 {false, true, -1, 18 - 127, "currentbottle idx: 176, index=-1\n"},
                 {true, true, -1, 18 + 127, "next animation: 176 to 0\n"},
                 {true, true, 0, 18 + 127, "next animation: 0 to 0\n"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.printed);
        CView* old = view->getCurrentBottle();
        EXPECT_EQ(change(step.forward, step.row), step.printed);
        CView* incoming = view->getCurrentBottle();
        EXPECT_EQ(children(), (Views{old, incoming, view->getShine()}));
        EXPECT_EQ(old->getViewSize(), BottleView::kBottleRect);
        CView* expected = view->bottleViewForRow(view->getCurrentIndex());
        EXPECT_EQ(pictureOf(incoming), pictureOf(expected));
        expected->forget();
        frame->idle();
        EXPECT_DOUBLE_EQ(incoming->getViewSize().left, step.startLeft);
        if (step.settles) {
            settle();
            EXPECT_EQ(children(), (Views{incoming, view->getShine()}));
        }
    }
}

TEST_F(BottleViewTest, HeaderRowsAndShortListsLeaveBackgroundAndShine) {
    change(true, 36);
    settle();
    EXPECT_EQ(view->getView(0)->getBackground(), nullptr);
    frame->render();
    // The container's background shows where the bottle would stand.
    EXPECT_EQ(frame->getPixel(209 + 80, 88 + 200).alpha, 255);
    for (int32 rows : {0, 1, 10}) {
        makeView(rows);
        change(true, -1);
        change(false, -1);
        change(true, rows + 3);
        settle();
        EXPECT_EQ(children(), (Views{view->getCurrentBottle(), view->getShine()}));
    }
}

} // namespace
