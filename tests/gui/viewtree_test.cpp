#include "guitestsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace VSTGUI;
using guitest::ProbeView;

namespace {

// A frame that is released at the end of each test.
struct FrameFixture : ::testing::Test {
    CFrame* frame = new CFrame(CRect(0, 0, 200, 100), &editor);
    guitest::RecordingEditor editor;

    ~FrameFixture() override {
        if (frame != nullptr)
            frame->forget();
    }
};

using ViewTree = FrameFixture;

TEST_F(ViewTree, MouseDownGoesToTopmostViewUnderPointerInChildCoordinates) {
    auto* bottom = new ProbeView(CRect(10, 10, 110, 60));
    auto* top = new ProbeView(CRect(60, 20, 160, 80));
    auto* group = new CViewContainer(CRect(150, 0, 200, 100));
    auto* nested = new ProbeView(CRect(5, 50, 45, 90)); // at 155..195 x 50..90 in the frame
    frame->addView(bottom);
    frame->addView(top);
    group->addView(nested);
    frame->addView(group);

    struct Case {
        CCoord x, y;
        ProbeView* expected;
        CPoint received;
        CMouseEventResult result;
    };
    const Case cases[] = {
        {80, 40, top, CPoint(80, 40), kMouseEventHandled},     // overlap: the later view
        {20, 15, bottom, CPoint(20, 15), kMouseEventHandled},  // only the bottom view
        {170, 60, nested, CPoint(20, 60), kMouseEventHandled}, // through the container
        {5, 95, nullptr, CPoint(), kMouseEventNotHandled},     // nothing there
        {110, 30, top, CPoint(110, 30), kMouseEventHandled},   // bottom's right edge is outside
    };
    for (const Case& c : cases) {
        for (auto* v : {bottom, top, nested})
            v->events.clear();
        CPoint p(c.x, c.y);
        EXPECT_EQ(frame->onMouseDown(p, kLButton), c.result) << c.x << "," << c.y;
        CPoint q(c.x, c.y);
        frame->onMouseUp(q, kLButton);
        for (auto* v : {bottom, top, nested}) {
            if (v == c.expected) {
                ASSERT_EQ(v->events.size(), 2u) << c.x << "," << c.y;
                EXPECT_EQ(v->events[0].where, c.received) << c.x << "," << c.y;
            } else {
                EXPECT_TRUE(v->events.empty()) << c.x << "," << c.y;
            }
        }
    }
}

TEST_F(ViewTree, PressedViewReceivesMovesAndReleaseWherever) {
    auto* pressed = new ProbeView(CRect(10, 10, 50, 50));
    auto* other = new ProbeView(CRect(100, 10, 150, 50));
    frame->addView(pressed);
    frame->addView(other);

    CPoint down(20, 20), move1(120, 30), move2(-40, 500), up(130, 30);
    frame->onMouseDown(down, kLButton);
    frame->onMouseMoved(move1, kLButton);
    frame->onMouseMoved(move2, kLButton);
    frame->onMouseUp(up, kLButton);
    CPoint after(20, 20);
    frame->onMouseMoved(after, 0);

    ASSERT_EQ(pressed->events.size(), 4u);
    EXPECT_STREQ(pressed->events[1].kind, "moved");
    EXPECT_EQ(pressed->events[2].where, CPoint(-40, 500));
    EXPECT_STREQ(pressed->events[3].kind, "up");
    EXPECT_EQ(pressed->events[3].where, CPoint(130, 30));
    EXPECT_TRUE(other->events.empty());
}

TEST_F(ViewTree, SecondButtonBelongsToThePressAndALostReleaseIsMadeUp) {
    auto* view = new ProbeView(CRect(10, 10, 50, 50));
    frame->addView(view);
    CPoint p(20, 20);
    frame->onMouseDown(p, kLButton);
    frame->onMouseDown(p, kLButton | kRButton); // right pressed while left is held
    ASSERT_EQ(view->events.size(), 1u);
    frame->onMouseDown(p, kLButton); // the left release was lost
    ASSERT_EQ(view->events.size(), 3u);
    EXPECT_STREQ(view->events[1].kind, "up");
    EXPECT_STREQ(view->events[2].kind, "down");
}

TEST_F(ViewTree, UnhandledMouseDownCapturesNothing) {
    auto* view = new ProbeView(CRect(10, 10, 50, 50), kMouseEventNotHandled);
    frame->addView(view);
    CPoint down(20, 20), up(20, 20);
    EXPECT_EQ(frame->onMouseDown(down, kLButton), kMouseEventNotHandled);
    EXPECT_EQ(frame->onMouseUp(up, kLButton), kMouseEventNotHandled);
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_STREQ(view->events[0].kind, "down");
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
    auto kinds = [](const ProbeView* v) {
        std::string k;
        for (const auto& e : v->events)
            k += std::string(e.kind) + " ";
        return k;
    };

    CPoint down(50, 40), move(200, 5), up(200, 5);
    EXPECT_EQ(frame->onMouseDown(down, kLButton), kMouseEventHandled);
    frame->onMouseMoved(move, kLButton);
    EXPECT_EQ(frame->onMouseUp(up, kLButton), kMouseEventHandled);
    EXPECT_EQ(kinds(decliner), "down ");
    ASSERT_EQ(kinds(beneath), "down moved up ");
    EXPECT_EQ(beneath->events[0].where, CPoint(50, 40));

    beneath->events.clear();
    decliner->events.clear();
    EXPECT_TRUE(frame->onWheel(CPoint(50, 40), 1.f, 0));
    EXPECT_EQ(kinds(decliner), "wheel ");
    EXPECT_EQ(kinds(beneath), "wheel ");

    // When no view under the pointer takes it, nobody has it.
    beneath->downAnswer = kMouseEventNotImplemented;
    beneath->wheelAnswer = false;
    CPoint again(50, 40), release(50, 40);
    EXPECT_EQ(frame->onMouseDown(again, kLButton), kMouseEventNotHandled);
    EXPECT_FALSE(frame->onWheel(CPoint(50, 40), 1.f, 0));
    beneath->events.clear();
    frame->onMouseUp(release, kLButton);
    EXPECT_TRUE(beneath->events.empty()) << "no press was taken";
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
    CPoint p(50, 50);
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseEventHandled);
    EXPECT_EQ(ProbeView::alive, 1) << "the removed views are released after the press";
    ASSERT_EQ(beneath->events.size(), 1u);
    EXPECT_EQ(frame->getMouseDownView(), beneath);
}

TEST_F(ViewTree, ChangeViewZOrderPlacesTheViewAtTheIndex) {
    struct Case {
        int32 move; // which view
        int32 index;
        bool ok;
        const char* order;
    };
    const Case cases[] = {
        {0, 3, true, "BCA"},                         // past the end: on top
        {0, 2, true, "BCA"},                         // the last position
        {2, 0, true, "CAB"},                         // to the bottom
        {1, 1, true, "ABC"},                         // where it is
        {0, -1, false, "ABC"}, {3, 0, false, "ABC"}, // not a child
    };
    for (const Case& c : cases) {
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

TEST_F(ViewTree, ViewMayRemoveItselfWhileHandlingTheRelease) {
    auto* view = new ProbeView(CRect(0, 0, 50, 50));
    frame->addView(view);
    view->onUp = [this, view] { frame->removeView(view, true); };
    CPoint down(10, 10), up(10, 10);
    frame->onMouseDown(down, kLButton);
    EXPECT_EQ(frame->onMouseUp(up, kLButton), kMouseEventHandled);
    EXPECT_EQ(ProbeView::alive, 0);
    EXPECT_EQ(frame->getNbViews(), 0);
}

TEST_F(ViewTree, RemovingThePressedViewEndsThePress) {
    auto* view = new ProbeView(CRect(0, 0, 50, 50));
    frame->addView(view);
    CPoint down(10, 10);
    frame->onMouseDown(down, kLButton);
    frame->removeView(view, true);
    EXPECT_EQ(ProbeView::alive, 0);
    CPoint up(10, 10);
    EXPECT_EQ(frame->onMouseUp(up, kLButton), kMouseEventNotHandled);
}

TEST_F(ViewTree, IdleRedrawsOnlyWhenSomethingIsDirty) {
    auto* view = new CView(CRect(0, 0, 10, 10));
    frame->addView(view);
    frame->idle();
    const uint32 drawn = frame->getRenderCount();
    EXPECT_GE(drawn, 1u);
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn) << "nothing changed";
    view->setDirty();
    EXPECT_TRUE(view->isDirty());
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn + 1);
    EXPECT_FALSE(view->isDirty());
    view->invalid();
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn + 2);
}

TEST_F(ViewTree, DrawsBackgroundsAndChildrenAtTheirPlaces) {
    const CColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0);
    CBitmap* back = guitest::bitmapFromPng(guitest::makeSolidPng(200, 100, red));
    frame->setBackground(back);
    back->forget();
    EXPECT_EQ(back->getNbReference(), 1) << "the frame keeps its own reference";

    auto* group = new CViewContainer(CRect(100, 50, 150, 100));
    group->setBackgroundColor(blue);
    auto* child = new CView(CRect(10, 10, 20, 20)); // 110..120 x 60..70 in the frame
    CBitmap* greenBitmap = guitest::bitmapFromPng(guitest::makeSolidPng(10, 10, green));
    child->setBackground(greenBitmap);
    greenBitmap->forget();
    group->addView(child);
    frame->addView(group);
    auto* hidden = new CView(CRect(0, 0, 10, 10));
    hidden->setBackground(child->getBackground());
    hidden->setVisible(false);
    frame->addView(hidden);

    frame->idle();
    struct Probe {
        int x, y;
        CColor expected;
    };
    const Probe probes[] = {{5, 5, red},      {99, 49, red},    {100, 50, blue}, {149, 99, blue},
                            {110, 60, green}, {119, 69, green}, {120, 70, blue}, {109, 60, blue}};
    for (const Probe& p : probes)
        EXPECT_EQ(frame->getPixel(p.x, p.y), p.expected) << p.x << "," << p.y;

    // The picture written to a file is the one drawn.
    const std::string path = ::testing::TempDir() + "viewtree_frame.png";
    ASSERT_TRUE(frame->writePNG(path.c_str()));
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<unsigned char> png(1 << 16);
    png.resize(std::fread(png.data(), 1, png.size(), file));
    std::fclose(file);
    std::remove(path.c_str());
    CBitmap* written = guitest::bitmapFromPng(png);
    auto* copy = new CView(CRect(0, 0, 200, 100));
    copy->setBackground(written);
    written->forget();
    frame->removeAll();
    frame->setBackground(nullptr);
    frame->addView(copy);
    frame->idle();
    for (const Probe& p : probes)
        EXPECT_EQ(frame->getPixel(p.x, p.y), p.expected) << "written " << p.x << "," << p.y;
    EXPECT_FALSE(frame->writePNG("/nonexistent-folder/x.png"));
}

} // namespace
