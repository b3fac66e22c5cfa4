#include "guitestsupport.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

using namespace VSTGUI;
using namespace guitest;

namespace {

using ViewTree = FrameTest;

TEST_F(ViewTree, MouseDownGoesToTopmostViewUnderPointerInChildCoordinates) {
    auto* bottom = new ProbeView(CRect(10, 10, 110, 60));
    auto* top = new ProbeView(CRect(60, 20, 160, 80));
    auto* group = new CViewContainer(CRect(150, 0, 200, 100));
    auto* nested = new ProbeView(CRect(5, 50, 45, 90)); // at 155..195 x 50..90 in the frame
    frame->addView(bottom);
    frame->addView(top);
    group->addView(nested);
    frame->addView(group);

    const struct {
        CCoord x, y;
        ProbeView* expected;
        CPoint received;
    } cases[] = {
        {80, 40, top, CPoint(80, 40)},     // overlap: the later view
        {20, 15, bottom, CPoint(20, 15)},  // only the bottom view
        {170, 60, nested, CPoint(20, 60)}, // through the container
        {5, 95, nullptr, CPoint()},        // nothing there
        {110, 30, top, CPoint(110, 30)},   // bottom's right edge is outside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        for (auto* v : {bottom, top, nested})
            v->events.clear();
        EXPECT_EQ(click(frame, c.x, c.y), c.expected ? kMouseEventHandled : kMouseEventNotHandled);
        for (auto* v : {bottom, top, nested}) {
            ASSERT_EQ(v->kinds(), v == c.expected ? "down up " : "");
            if (v == c.expected) {
                EXPECT_EQ(v->events[0].where, c.received);
            }
        }
    }
}

TEST_F(ViewTree, PressedViewReceivesMovesAndReleaseWherever) {
    auto* pressed = new ProbeView(CRect(10, 10, 50, 50));
    auto* other = new ProbeView(CRect(100, 10, 150, 50));
    frame->addView(pressed);
    frame->addView(other);
    drag(frame, {CPoint(20, 20), CPoint(120, 30), CPoint(-40, 500), CPoint(130, 30)});
    moveTo(frame, 20, 20, 0);
    ASSERT_EQ(pressed->kinds(), "down moved moved moved up ");
    EXPECT_EQ(pressed->events[2].where, CPoint(-40, 500));
    EXPECT_EQ(pressed->events[4].where, CPoint(130, 30));
    EXPECT_TRUE(other->events.empty());
}

TEST_F(ViewTree, SecondButtonBelongsToThePressAndALostReleaseIsMadeUp) {
    auto* view = new ProbeView(CRect(10, 10, 50, 50));
    frame->addView(view);
    down(frame, 20, 20);
    down(frame, 20, 20, kLButton | kRButton); // right pressed while left is held
    EXPECT_EQ(view->kinds(), "down ");
    down(frame, 20, 20); // the left release was lost
    EXPECT_EQ(view->kinds(), "down up down ");
}

TEST_F(ViewTree, UnhandledMouseDownAndWheelGoOnToTheViewsBeneath) {
    // From the bottom: a view that takes everything, a picture (a container
    // whose only child takes nothing) and a view that declines both.
    auto* beneath = new ProbeView(CRect(10, 10, 110, 90));
    auto* picture = new CViewContainer(CRect(20, 20, 100, 80));
    picture->addView(new CView(CRect(0, 0, 80, 60)));
    auto* decliner = new ProbeView(CRect(30, 30, 90, 70), kMouseEventNotHandled);
    decliner->wheelAnswer = false;
    frame->addView(beneath);
    frame->addView(picture);
    frame->addView(decliner);

    EXPECT_EQ(down(frame, 50, 40), kMouseEventHandled);
    moveTo(frame, 200, 5);
    EXPECT_EQ(up(frame, 200, 5), kMouseEventHandled);
    EXPECT_EQ(decliner->kinds(), "down ");
    ASSERT_EQ(beneath->kinds(), "down moved up ");
    EXPECT_EQ(beneath->events[0].where, CPoint(50, 40));

    beneath->events.clear();
    decliner->events.clear();
    EXPECT_TRUE(frame->onWheel(CPoint(50, 40), 1.f, 0));
    EXPECT_EQ(decliner->kinds(), "wheel ");
    EXPECT_EQ(beneath->kinds(), "wheel ");

    // When no view under the pointer takes it, nobody has the press.
    beneath->downAnswer = kMouseEventNotImplemented;
    beneath->wheelAnswer = false;
    EXPECT_EQ(down(frame, 50, 40), kMouseEventNotHandled);
    EXPECT_FALSE(frame->onWheel(CPoint(50, 40), 1.f, 0));
    beneath->events.clear();
    decliner->events.clear();
    EXPECT_EQ(up(frame, 50, 40), kMouseEventNotHandled);
    EXPECT_TRUE(beneath->events.empty() && decliner->events.empty()) << "no press was taken";
}

TEST_F(ViewTree, DecliningViewMayRemoveViewsWhileThePressGoesOn) {
    auto* beneath = new ProbeView(CRect(0, 0, 100, 100));
    auto* removedBelow = new ProbeView(CRect(0, 0, 100, 100), kMouseEventNotHandled);
    auto* top = new ProbeView(CRect(0, 0, 100, 100), kMouseEventNotHandled);
    frame->addView(beneath);
    frame->addView(removedBelow);
    frame->addView(top);
    top->onDown = [this, top, removedBelow] {
        frame->removeView(removedBelow, true);
        frame->removeView(top, true);
    };
    EXPECT_EQ(down(frame, 50, 50), kMouseEventHandled);
    EXPECT_EQ(ProbeView::alive, 1) << "the removed views are released after the press";
    EXPECT_EQ(beneath->kinds(), "down ");
    EXPECT_EQ(frame->getMouseDownView(), beneath);
}

TEST_F(ViewTree, PressedViewRemovedBeforeOrDuringItsRelease) {
    for (const bool inside : {true, false}) {
        SCOPED_TRACE(inside);
        auto* view = new ProbeView(CRect(0, 0, 50, 50));
        frame->addView(view);
        if (inside)
            view->onUp = [this, view] { frame->removeView(view, true); };
        down(frame, 10, 10);
        if (!inside)
            frame->removeView(view, true);
        EXPECT_EQ(up(frame, 10, 10), inside ? kMouseEventHandled : kMouseEventNotHandled);
        EXPECT_EQ(ProbeView::alive, 0);
        EXPECT_EQ(frame->getNbViews(), 0);
    }
}

TEST_F(ViewTree, ChangeViewZOrderPlacesTheViewAtTheIndex) {
    const struct {
        int32 move; // which view
        int32 index;
        bool ok;
        const char* order;
    } cases[] = {
        {0, 3, true, "BCA"},                         // past the end: on top
        {0, 2, true, "BCA"},                         // the last position
        {2, 0, true, "CAB"},                         // to the bottom
        {1, 1, true, "ABC"},                         // where it is
        {0, -1, false, "ABC"}, {3, 0, false, "ABC"}, // not a child
    };
    for (const auto& c : cases) {
        CView* views[4] = {new CView(CRect()), new CView(CRect()), new CView(CRect()),
                           new CView(CRect())};
        auto* container = new CViewContainer(CRect(0, 0, 10, 10));
        for (int i = 0; i < 3; ++i)
            container->addView(views[i]);
        frame->addView(container);
        EXPECT_EQ(container->changeViewZOrder(views[c.move], c.index), c.ok);
        std::string order;
        for (int32 i = 0; i < container->getNbViews(); ++i)
            for (int v = 0; v < 3; ++v)
                if (container->getView(i) == views[v])
                    order += static_cast<char>('A' + v);
        EXPECT_EQ(order, c.order) << "move " << c.move << " to " << c.index;
        frame->removeView(container);
        views[3]->forget();
    }
}

TEST_F(ViewTree, ContainersOwnTheirChildrenByReference) {
    auto* kept = new ProbeView(CRect(0, 0, 10, 10));
    auto* released = new ProbeView(CRect(0, 0, 10, 10));
    auto* handedBack = new ProbeView(CRect(0, 0, 10, 10));
    EXPECT_EQ(ProbeView::alive, 3);
    for (auto* v : {kept, released, handedBack}) {
        ASSERT_TRUE(frame->addView(v));
        EXPECT_EQ(v->getNbReference(), 1); // the container took the creator's reference
    }
    EXPECT_FALSE(frame->addView(kept)) << "a view has one parent";
    kept->remember(); // someone else holds it too

    EXPECT_TRUE(frame->removeView(released, true));
    EXPECT_EQ(ProbeView::alive, 2);
    EXPECT_TRUE(frame->removeView(handedBack, false));
    EXPECT_EQ(handedBack->getNbReference(), 1);
    EXPECT_EQ(handedBack->getParentView(), nullptr);
    EXPECT_EQ(handedBack->getFrame(), nullptr);
    EXPECT_FALSE(frame->removeView(handedBack, true)) << "no longer a child";
    handedBack->forget();
    EXPECT_EQ(ProbeView::alive, 1);

    frame->forget();
    frame = nullptr;
    EXPECT_EQ(ProbeView::alive, 1) << "the outside reference keeps the view";
    EXPECT_EQ(kept->getFrame(), nullptr);
    kept->forget();
    EXPECT_EQ(ProbeView::alive, 0);
}

TEST_F(ViewTree, DrawsBackgroundsAndChildrenAtTheirPlacesAndWritesThePicture) {
    const CColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0);
    CBitmap* back = makeBitmap(200, 100, [&](int, int) { return red; });
    frame->setBackground(back);
    back->forget();
    EXPECT_EQ(back->getNbReference(), 1) << "the frame keeps its own reference";

    auto* group = new CViewContainer(CRect(100, 50, 150, 100));
    group->setBackgroundColor(blue);
    auto* child = new CView(CRect(10, 10, 20, 20)); // 110..120 x 60..70 in the frame
    CBitmap* greenBitmap = makeBitmap(10, 10, [&](int, int) { return green; });
    child->setBackground(greenBitmap);
    greenBitmap->forget();
    group->addView(child);
    frame->addView(group);
    auto* hidden = new CView(CRect(0, 0, 10, 10));
    hidden->setBackground(child->getBackground());
    hidden->setVisible(false);
    frame->addView(hidden);

    const struct {
        int x, y;
        CColor expected;
    } probes[] = {{5, 5, red},      {99, 49, red},    {100, 50, blue}, {149, 99, blue},
                  {110, 60, green}, {119, 69, green}, {120, 70, blue}, {109, 60, blue}};
    const std::string path = ::testing::TempDir() + "viewtree_frame.png";
    for (const bool fromFile : {false, true}) {
        if (fromFile) { // the picture written to a file is the one drawn
            std::ifstream in(path, std::ios::binary);
            const std::vector<unsigned char> png{std::istreambuf_iterator<char>(in), {}};
            std::remove(path.c_str());
            auto* copy = new CView(CRect(0, 0, 200, 100));
            copy->setBackground(new CBitmap(png.data(), png.size()));
            copy->getBackground()->forget();
            frame->removeAll();
            frame->setBackground(nullptr);
            frame->addView(copy);
        }
        frame->idle();
        for (const auto& p : probes)
            EXPECT_EQ(frame->getPixel(p.x, p.y), p.expected)
                << fromFile << " " << p.x << "," << p.y;
        if (!fromFile) {
            ASSERT_TRUE(frame->writePNG(path.c_str()));
        }
    }
    EXPECT_FALSE(frame->writePNG("/nonexistent-folder/x.png"));
}

} // namespace
