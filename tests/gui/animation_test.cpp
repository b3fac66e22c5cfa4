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
    ProbeView* exchange(ProbeView* oldView, EVA::AnimationStyle style,
                        const char* name = "ExchangeViewAnimation") {
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

TEST_F(ExchangeTest, NewViewSlidesInOverOneWidthAndTheOldOneGoes) {
    for (const auto& [style, sign] :
         {std::pair{EVA::kPushInFromRight, 1.}, std::pair{EVA::kPushInFromLeft, -1.}}) {
        clock.now = 1000;
        auto* old = static_cast<ProbeView*>(container->getView(0));
        ProbeView* incoming = exchange(old, style);
        ASSERT_EQ(container->getNbViews(), 2);
        EXPECT_EQ(container->getView(1), incoming) << "added on top";
        for (const auto& [ms, left] :
             {std::pair{0, 18 + sign * 127}, {100, 18 + sign * 63.5}, {150, 18 + sign * 31.75}}) {
            at(ms);
            EXPECT_DOUBLE_EQ(incoming->getViewSize().left, left) << ms << " ms";
            EXPECT_EQ(incoming->getViewSize().getWidth(), 127);
            EXPECT_TRUE(container->isChild(old)) << ms << " ms";
            EXPECT_EQ(old->getViewSize(), kPlace) << "only the new view moves";
        }
        const int aliveBefore = ProbeView::alive;
        at(200);
        EXPECT_EQ(incoming->getViewSize(), kPlace);
        EXPECT_EQ(container->getNbViews(), 1);
        EXPECT_EQ(container->getView(0), incoming);
        EXPECT_EQ(ProbeView::alive, aliveBefore - 1) << "the old view is released";
        EXPECT_FALSE(frame->getAnimator()->hasAnimations());
    }
}

TEST_F(ExchangeTest, SecondAnimationUnderTheSameNameFinishesTheFirst) {
    ProbeView* second = exchange(first, EVA::kPushInFromRight);
    auto* shine = new CView(CRect(0, 0, 160, 211));
    container->addView(shine);
    EXPECT_TRUE(container->changeViewZOrder(shine, 3));
    at(100);
    ProbeView* third = exchange(second, EVA::kPushInFromLeft);
    // The first exchange ended at once: its new view in place, its old one gone.
    EXPECT_EQ(second->getViewSize(), kPlace);
    EXPECT_EQ(ProbeView::alive, 2);
    EXPECT_EQ(third->getViewSize().left, 18 - 127);
    EXPECT_EQ(frame->getAnimator()->getNumAnimations(), 1u);
    EXPECT_TRUE(container->changeViewZOrder(shine, 3));
    ASSERT_EQ(container->getNbViews(), 3);
    EXPECT_EQ(container->getView(0), second);
    EXPECT_EQ(container->getView(1), third);
    EXPECT_EQ(container->getView(2), shine);

    at(200); // the second exchange started at 100 ms: halfway
    EXPECT_DOUBLE_EQ(third->getViewSize().left, 18 - 63.5);
    at(300);
    EXPECT_EQ(ProbeView::alive, 1);
    EXPECT_EQ(container->getView(0), third);
}

TEST_F(ExchangeTest, DifferentNamesRunSideBySide) {
    auto* other = new ProbeView(kPlace);
    auto* otherContainer = new CViewContainer(CRect(0, 0, 10, 10));
    otherContainer->addView(other);
    frame->addView(otherContainer);
    exchange(first, EVA::kPushInFromRight, "a");
    ProbeView* next = exchange(other, EVA::kPushInFromRight, "b");
    EXPECT_EQ(frame->getAnimator()->getNumAnimations(), 2u);
    at(200);
    EXPECT_FALSE(frame->getAnimator()->hasAnimations());
    EXPECT_EQ(otherContainer->getView(0), next);
}

TEST_F(ExchangeTest, ClosingTheFrameMidAnimationReleasesEverything) {
    exchange(first, EVA::kPushInFromRight);
    at(50);
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(ProbeView::alive, 0);
}

TEST_F(ExchangeTest, RedrawsAtEveryIdleWhileRunning) {
    at(0);
    exchange(first, EVA::kPushInFromRight);
    uint32 drawn = frame->getRenderCount();
    for (uint64_t ms = 33; ms < 200; ms += 33) {
        at(ms);
        EXPECT_EQ(frame->getRenderCount(), ++drawn) << ms;
    }
    at(233);
    at(266);
    EXPECT_EQ(frame->getRenderCount(), drawn + 1) << "still once it ended";
}

TEST(Animation, OutsideAFrameAnAnimationEndsAtOnce) {
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
}

TEST(Animation, LinearTimingFunctionEndsExactlyAtItsDuration) {
    Animation::LinearTimingFunction f(200), instant(0);
    EXPECT_FLOAT_EQ(f.getPosition(199), 0.995f);
    EXPECT_FALSE(f.isDone(199));
    EXPECT_TRUE(f.isDone(200));
    EXPECT_EQ(f.getPosition(5000), 1.f);
    EXPECT_EQ(instant.getPosition(0), 1.f) << "no division by a zero duration";
    EXPECT_TRUE(instant.isDone(0));
}

} // namespace
