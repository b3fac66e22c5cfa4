#include "guitestsupport.h"

#include "gui/animator.h"

#include <cairo.h>
#include <tuple>

using namespace guitest;
using EVA = Animation::ExchangeViewAnimation;

namespace {

using ViewTree = FrameTest;

TEST_F(ViewTree, PressGoesToTheTopmostTakerWhichKeepsItsMovesAndRelease) {
    auto* bottom = add(frame, new ProbeView(CRect(10, 10, 110, 60)));
    auto* top = add(frame, new ProbeView(CRect(60, 20, 160, 80)));
    auto* decliner = add(frame, new ProbeView(CRect(0, 60, 50, 100), kMouseEventNotHandled));
    auto* group = add(frame, new CViewContainer(CRect(150, 0, 200, 100)));
    // At 155..195 x 50..90 in the frame.
    auto* nested = add(group, new ProbeView(CRect(5, 50, 45, 90)));
    // Where the press is, who takes it and where it lands: the later of two
    // overlapping views, right edges outside, nested views in their
    // container's coordinates, nobody when only a view that declines is there.
    const std::tuple<CCoord, CCoord, ProbeView*> cases[] = {
        {80, 40, top}, {110, 30, top}, {20, 15, bottom}, {170, 60, nested}, {5, 95, nullptr}};
    for (const auto& [x, y, taker] : cases) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        for (auto* v : {bottom, top, nested, decliner})
            v->kinds.clear();
        const CMouseEventResult taken = taker ? kMouseEventHandled : kMouseEventNotHandled;
        EXPECT_EQ(down(frame, x, y), taken);
        moveTo(frame, -40, 500);
        EXPECT_EQ(up(frame, 300, 5), taken);
        for (auto* v : {bottom, top, nested})
            EXPECT_EQ(v->kinds, v == taker ? "down moved up " : "");
        EXPECT_EQ(taker ? taker->first : CPoint(x, y),
                  taker == nested ? CPoint(x - 150, y) : CPoint(x, y));
    }
    EXPECT_EQ(decliner->kinds, "down ");
    // A second button belongs to the press; a lost release is made up.
    bottom->kinds.clear();
    down(frame, 20, 20);
    down(frame, 20, 20, kLButton | kRButton);
    down(frame, 20, 20);
    EXPECT_EQ(bottom->kinds, "down up down ");
    up(frame, 20, 20);
    // The wheel too goes down until a view takes it.
    top->wheelAnswer = false;
    EXPECT_TRUE(frame->onWheel(CPoint(80, 40), 1.f, 0));
    EXPECT_EQ(top->kinds + bottom->kinds, "wheel down up down up wheel ");
    bottom->wheelAnswer = false;
    EXPECT_FALSE(frame->onWheel(CPoint(80, 40), 1.f, 0));
}

TEST_F(ViewTree, ContainersOwnAndOrderTheirChildrenWhichHandlersMayRemoveOrCloseTheFrame) {
    auto* beneath = add(frame, new ProbeView(CRect(0, 0, 100, 100)));
    auto* removedBelow = add(frame, new ProbeView(CRect(0, 0, 100, 100), kMouseEventNotHandled));
    auto* top = add(frame, new ProbeView(CRect(0, 0, 100, 100), kMouseEventNotHandled));
    top->onDown = [&] {
        frame->removeView(removedBelow, true);
        frame->removeView(top, true);
    };
    EXPECT_EQ(down(frame, 50, 50), kMouseEventHandled);
    EXPECT_EQ(ProbeView::alive, 1) << "the removed views are released after the press";
    EXPECT_EQ(frame->getMouseDownView(), beneath);
    beneath->onUp = [&] { frame->removeView(beneath, true); };
    EXPECT_EQ(up(frame, 10, 10), kMouseEventHandled);
    EXPECT_EQ(ProbeView::alive, 0);

    auto* kept = new ProbeView(CRect(0, 0, 10, 10));
    auto* handedBack = new ProbeView(CRect(0, 0, 10, 10));
    for (auto* v : {kept, handedBack, new ProbeView(CRect(0, 0, 10, 10))})
        ASSERT_TRUE(frame->addView(v));
    EXPECT_FALSE(frame->addView(kept)) << "a view has one parent";
    EXPECT_TRUE(frame->changeViewZOrder(kept, 9)); // past the end: on top
    EXPECT_FALSE(frame->changeViewZOrder(kept, -1));
    EXPECT_EQ(frame->getView(2), kept);
    EXPECT_TRUE(frame->removeView(frame->getView(1), true));
    EXPECT_TRUE(frame->removeView(handedBack, false));
    EXPECT_FALSE(frame->removeView(handedBack, true) || frame->changeViewZOrder(handedBack, 0));
    EXPECT_EQ(ProbeView::alive, 2) << "only the view removed with forget is released";
    handedBack->forget();
    kept->remember(); // someone else holds it too

    // The editor closes the frame from inside a press: it goes when the press
    // is done, and takes no event after it.
    auto* closer = add(frame, new ProbeView(CRect(0, 0, 100, 100)));
    closer->onDown = [&] { frame->close(); };
    frame->remember(); // to look at it afterwards
    const uint32 drawn = frame->getRenderCount();
    EXPECT_EQ(down(frame, 50, 50), kMouseEventHandled);
    // The outside reference keeps its view, which belongs to no frame now.
    EXPECT_EQ(std::tuple(frame->isClosed(), frame->getEditor(), ProbeView::alive, kept->getFrame()),
              std::tuple(true, nullptr, 1, nullptr));
    kept->forget();
    EXPECT_EQ(up(frame, 50, 50), kMouseEventNotHandled);
    EXPECT_EQ(moveTo(frame, 50, 50), kMouseEventNotHandled);
    EXPECT_FALSE(frame->onWheel(CPoint(50, 50), 1.f, 0) ||
                 frame->open(reinterpret_cast<void*>(uintptr_t{0x2a})));
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn);
    EXPECT_EQ(frame->getNbReference(), 1) << "only the test's own reference is left";
}

TEST_F(ViewTree, DrawsBackgroundsAndChildrenAtTheirPlacesAndWritesThePicture) {
    const CColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0);
    const auto background = [](CView* view, CColor c, int w, int h) {
        CBitmap* b = makeBitmap(w, h, [c](int, int) { return c; });
        view->setBackground(b);
        b->forget();
    };
    background(frame, red, 200, 100);
    auto* group = add(frame, new CViewContainer(CRect(100, 50, 150, 100)));
    group->setBackgroundColor(blue);
    auto* child = add(group, new CView(CRect(10, 10, 20, 20))); // 110..120 x 60..70 in the frame
    background(child, green, 10, 10);
    auto* hidden = add(frame, new CView(CRect(0, 0, 10, 10)));
    hidden->setBackground(child->getBackground());
    hidden->setVisible(false);
    frame->idle();
    const std::tuple<int, int, CColor> probes[] = {
        {5, 5, red},      {99, 49, red},    {100, 50, blue}, {149, 99, blue},
        {110, 60, green}, {119, 69, green}, {120, 70, blue}, {109, 60, blue}};
    for (const auto& [x, y, expected] : probes)
        EXPECT_EQ(frame->getPixel(x, y), expected) << x << "," << y;
    // A picture of the window is the one drawn, drawn again only after a change.
    const uint32 drawn = frame->getRenderCount();
    EXPECT_EQ(frame->renderedImage(), frame->getBackBuffer());
    EXPECT_EQ(frame->getRenderCount(), drawn);
    frame->invalidate();
    EXPECT_EQ(frame->renderedImage(), frame->getBackBuffer());
    EXPECT_EQ(frame->getRenderCount(), drawn + 1);
}

const CRect kPlace(18, 11, 145, 229); // 127 pixels wide

// Starts a 200 ms exchange of oldView for a new view in its container.
ProbeView* exchange(CView* oldView, EVA::AnimationStyle style, const char* name = "x") {
    auto* newView = new ProbeView(kPlace);
    static_cast<CViewContainer*>(oldView->getParentView())
        ->addAnimation(name, new EVA(oldView, newView, style),
                       new Animation::LinearTimingFunction(200));
    return newView;
}

using Animations = FrameTest;

TEST_F(Animations, ExchangesSlideInLinearlyInAFrameBesideOthersAndEndAtOnceOutsideOne) {
    uint64_t now = 1000;
    frame->setTimeSource([&] { return now; });
    const auto at = [&](uint64_t ms) {
        now = 1000 + ms;
        frame->idle();
    };
    auto* container = add(frame, new CViewContainer(CRect(50, 50, 212, 263)));
    auto* other = add(frame, new CViewContainer(CRect(0, 0, 10, 10)));
    auto* detached = new CViewContainer(CRect(0, 0, 200, 200));
    for (CViewContainer* c : {container, other, detached})
        c->addView(new ProbeView(kPlace));
    ProbeView* direct = exchange(detached->getView(0), EVA::kPushInFromLeft);
    EXPECT_EQ(std::tuple(detached->getNbViews(), detached->getView(0), direct->getViewSize()),
              std::tuple(1, direct, kPlace));
    detached->forget();
    EXPECT_EQ(ProbeView::alive, 2);

    ProbeView* elsewhere = exchange(other->getView(0), EVA::kPushInFromLeft, "y");
    ProbeView* incoming = exchange(container->getView(0), EVA::kPushInFromRight);
    for (const auto& [ms, left] : {std::pair{100, 18 + 63.5}, {150, 18 + 31.75}, {200, 18.}}) {
        const uint32 drawn = frame->getRenderCount();
        at(ms);
        EXPECT_EQ(frame->getRenderCount(), drawn + 1) << ms << " ms";
        EXPECT_DOUBLE_EQ(incoming->getViewSize().left, left) << ms << " ms";
        EXPECT_DOUBLE_EQ(elsewhere->getViewSize().left, 36 - left) << ms << " ms";
    }
    EXPECT_EQ(ProbeView::alive, 2) << "the old views are released";
    const uint32 drawn = frame->getRenderCount();
    at(233);
    EXPECT_EQ(frame->getRenderCount(), drawn) << "no redraw once they ended";
    // Closing the frame in the middle of an animation releases everything.
    exchange(incoming, EVA::kPushInFromRight);
    at(250);
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(ProbeView::alive, 0);
    // Timing never divides by zero.
    Animation::LinearTimingFunction f(200), instant(0);
    EXPECT_FLOAT_EQ(f.getPosition(199), 0.995f);
    EXPECT_FALSE(f.isDone(199));
    EXPECT_TRUE(f.isDone(200) && instant.isDone(0));
    EXPECT_EQ(std::pair(f.getPosition(5000), instant.getPosition(0)), std::pair(1.f, 1.f));
}

} // namespace
