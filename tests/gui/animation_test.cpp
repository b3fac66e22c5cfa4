#include "guitestsupport.h"

#include "gui/animator.h"

using namespace VSTGUI;
using namespace guitest;
using EVA = Animation::ExchangeViewAnimation;

namespace {

const CRect kPlace(18, 11, 145, 229); // 127 pixels wide

// A container with one view in it, inside a frame whose clock the test steps.
struct ExchangeTest : FrameTest {
    ExchangeTest() : FrameTest(CRect(0, 0, 300, 300)) {
        frame->setTimeSource(clock.source());
        container->addView(first);
        frame->addView(container);
    }
    // Starts a 200 ms exchange of oldView for a new view in its container.
    ProbeView* exchange(ProbeView* oldView, EVA::AnimationStyle style, const char* name = "x") {
        auto* newView = new ProbeView(kPlace);
        static_cast<CViewContainer*>(oldView->getParentView())
            ->addAnimation(name, new EVA(oldView, newView, style),
                           new Animation::LinearTimingFunction(200));
        return newView;
    }
    void at(uint64_t ms) {
        clock.now = 1000 + ms;
        frame->idle();
    }

    ManualClock clock;
    CViewContainer* container = new CViewContainer(CRect(50, 50, 212, 263));
    ProbeView* first = new ProbeView(kPlace);
};

TEST_F(ExchangeTest, NewViewSlidesInLinearlyRedrawingEachIdleBesideAnotherName) {
    auto* other = new CViewContainer(CRect(0, 0, 10, 10));
    frame->addView(other);
    other->addView(new ProbeView(kPlace));
    ProbeView* elsewhere =
        exchange(static_cast<ProbeView*>(other->getView(0)), EVA::kPushInFromLeft, "y");
    ProbeView* incoming = exchange(first, EVA::kPushInFromRight);
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
}

TEST(Animation, OutsideAFrameAnAnimationEndsAtOnceAndTimingNeverDividesByZero) {
    auto* container = new CViewContainer(CRect(0, 0, 200, 200));
    auto* old = new ProbeView(kPlace);
    container->addView(old);
    auto* incoming = new ProbeView(kPlace);
    container->addAnimation("x", new EVA(old, incoming, EVA::kPushInFromLeft),
                            new Animation::LinearTimingFunction(200));
    EXPECT_EQ(container->getNbViews(), 1);
    EXPECT_EQ(container->getView(0), incoming);
    EXPECT_EQ(incoming->getViewSize(), kPlace);
    container->forget();
    EXPECT_EQ(ProbeView::alive, 0);

    Animation::LinearTimingFunction f(200), instant(0);
    EXPECT_FLOAT_EQ(f.getPosition(199), 0.995f);
    EXPECT_FALSE(f.isDone(199));
    EXPECT_TRUE(f.isDone(200));
    EXPECT_EQ(f.getPosition(5000), 1.f);
    EXPECT_EQ(instant.getPosition(0), 1.f);
    EXPECT_TRUE(instant.isDone(0));
}

} // namespace
