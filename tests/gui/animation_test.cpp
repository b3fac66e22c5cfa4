#include "guitestsupport.h"

#include "gui/animator.h"

#include <gtest/gtest.h>

using namespace VSTGUI;
using guitest::ProbeView;

namespace {

const CRect kPlace(18, 11, 145, 229); // 127 pixels wide

// A container with one view in it, inside a frame whose clock the test steps.
struct ExchangeTest : ::testing::Test {
    ExchangeTest() {
        frame->setTimeSource(clock.source());
        container->addView(first);
        frame->addView(container);
    }
    ~ExchangeTest() override {
        if (frame != nullptr)
            frame->forget();
    }

    ProbeView* exchange(ProbeView* oldView, Animation::ExchangeViewAnimation::AnimationStyle style,
                        const char* name = "ExchangeViewAnimation") {
        auto* newView = new ProbeView(kPlace);
        container->addAnimation(name, new Animation::ExchangeViewAnimation(oldView, newView, style),
                                new Animation::LinearTimingFunction(200));
        return newView;
    }
    void at(uint64_t ms) {
        clock.now = 1000 + ms;
        frame->idle();
    }

    guitest::ManualClock clock;
    guitest::RecordingEditor editor;
    CFrame* frame = new CFrame(CRect(0, 0, 300, 300), &editor);
    CViewContainer* container = new CViewContainer(CRect(50, 50, 212, 263));
    ProbeView* first = new ProbeView(kPlace);
};

TEST_F(ExchangeTest, NewViewSlidesInOverOneWidthAndTheOldOneGoes) {
    using EVA = Animation::ExchangeViewAnimation;
    struct Case {
        EVA::AnimationStyle style;
        CCoord sign; // where the new view starts: right (+) or left (-)
    };
    for (const Case& c : {Case{EVA::kPushInFromRight, 1}, Case{EVA::kPushInFromLeft, -1}}) {
        clock.now = 1000;
        ProbeView* old = static_cast<ProbeView*>(container->getView(0));
        ProbeView* incoming = exchange(old, c.style);
        ASSERT_EQ(container->getNbViews(), 2);
        EXPECT_EQ(container->getView(1), incoming) << "added on top";
        const struct {
            uint64_t ms;
            CCoord left;
        } steps[] = {{0, 18 + c.sign * 127}, {100, 18 + c.sign * 63.5}, {150, 18 + c.sign * 31.75}};
        for (const auto& s : steps) {
            at(s.ms);
            EXPECT_DOUBLE_EQ(incoming->getViewSize().left, s.left) << s.ms << " ms";
            EXPECT_EQ(incoming->getViewSize().getWidth(), 127);
            EXPECT_TRUE(container->isChild(old)) << s.ms << " ms";
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
    using EVA = Animation::ExchangeViewAnimation;
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
    using EVA = Animation::ExchangeViewAnimation;
    auto* other = new ProbeView(kPlace);
    auto* otherContainer = new CViewContainer(CRect(0, 0, 10, 10));
    otherContainer->addView(other);
    frame->addView(otherContainer);
    exchange(first, EVA::kPushInFromRight, "a");
    auto* next = new ProbeView(kPlace);
    container->addAnimation("b", new EVA(other, next, EVA::kPushInFromRight),
                            new Animation::LinearTimingFunction(200));
    EXPECT_EQ(frame->getAnimator()->getNumAnimations(), 2u);
    at(200);
    EXPECT_FALSE(frame->getAnimator()->hasAnimations());
    EXPECT_EQ(otherContainer->getView(0), next);
}

TEST_F(ExchangeTest, ClosingTheFrameMidAnimationReleasesEverything) {
    exchange(first, Animation::ExchangeViewAnimation::kPushInFromRight);
    at(50);
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(ProbeView::alive, 0);
}

TEST_F(ExchangeTest, RedrawsAtEveryIdleWhileRunning) {
    at(0);
    exchange(first, Animation::ExchangeViewAnimation::kPushInFromRight);
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
    container->addAnimation("x",
                            new Animation::ExchangeViewAnimation(
                                old, incoming, Animation::ExchangeViewAnimation::kPushInFromLeft),
                            new Animation::LinearTimingFunction(200));
    EXPECT_EQ(container->getNbViews(), 1);
    EXPECT_EQ(container->getView(0), incoming);
    EXPECT_EQ(incoming->getViewSize(), kPlace);
    container->forget();
    EXPECT_EQ(ProbeView::alive, 0);
}

TEST(Animation, LinearTimingFunction) {
    Animation::LinearTimingFunction f(200);
    const struct {
        uint32 ms;
        float pos;
        bool done;
    } cases[] = {{0, 0.f, false},
                 {50, 0.25f, false},
                 {199, 0.995f, false},
                 {200, 1.f, true},
                 {5000, 1.f, true}};
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(f.getPosition(c.ms), c.pos) << c.ms;
        EXPECT_EQ(f.isDone(c.ms), c.done) << c.ms;
    }
    Animation::LinearTimingFunction instant(0);
    EXPECT_EQ(instant.getPosition(0), 1.f);
    EXPECT_TRUE(instant.isDone(0));
}

} // namespace
