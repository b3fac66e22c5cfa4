#include "guitestsupport.h"

#include <limits>
#include <vector>

using namespace VSTGUI;
using namespace guitest;

namespace {

const CColor kReleased(200, 0, 0), kPressed(0, 200, 0);
using Log = std::vector<std::string>;

// A 40 x 20 button (tag 7) at (10, 10) whose strip is red above and green below.
struct KickButtonTest : FrameTest {
    KickButtonTest() : FrameTest(CRect(0, 0, 100, 100)) {
        CBitmap* strip =
            makeBitmap(40, 40, [](int, int y) { return y < 20 ? kReleased : kPressed; });
        button = new CKickButton(CRect(10, 10, 50, 30), &listener, 7, strip);
        strip->forget();
        frame->addView(button);
    }

    RecordingListener listener;
    CKickButton* button;
};

TEST_F(KickButtonTest, TracksThePointerAndReturnsToMinimumOnReleaseOutside) {
    // Pressed while over the button, bounds included, released elsewhere.
    const struct {
        CMouseEventResult (*send)(CFrame*, CCoord, CCoord, int32);
        CCoord x, y;
        float value;
    } steps[] = {{down, 20, 20, 1.f},     {moveTo, 60, 20, 0.f}, {moveTo, 50, 30, 1.f},
                 {moveTo, 50.5, 30, 0.f}, {moveTo, 10, 10, 1.f}, {moveTo, 9, 10, 0.f},
                 {up, 80, 80, 0.f}};
    for (const auto& s : steps) {
        EXPECT_EQ(s.send(frame, s.x, s.y, kLButton), kMouseEventHandled);
        EXPECT_EQ(button->getValue(), s.value) << s.x << "," << s.y;
        EXPECT_EQ(editor.log.size(), s.send == up ? 2u : 1u) << "the edit ends at the release";
    }
    // Released outside: only the return to the minimum is reported.
    EXPECT_EQ(listener.values, (std::vector<float>{0.f}));
    EXPECT_EQ(editor.log, (Log{"begin 7", "end 7"}));
    EXPECT_EQ(listener.begins, 1);
    EXPECT_EQ(listener.ends, 1);
}

TEST_F(KickButtonTest, DrawsTheLowerHalfWhilePressedAndReportsAReleaseOverIt) {
    frame->idle();
    EXPECT_EQ(frame->getPixel(30, 20), kReleased);
    down(frame, 30, 20);
    frame->idle();
    EXPECT_EQ(frame->getPixel(30, 20), kPressed);
    EXPECT_EQ(frame->getPixel(10, 29), kPressed);
    up(frame, 30, 20);
    frame->idle();
    EXPECT_EQ(frame->getPixel(30, 20), kReleased);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
}

TEST_F(KickButtonTest, RightAndMiddleButtonsAreNotHandled) {
    for (int32 buttons : {int32(kRButton), int32(kMButton), int32(kRButton | kShift)}) {
        EXPECT_EQ(down(frame, 20, 20, buttons), kMouseEventNotHandled) << buttons;
        EXPECT_EQ(up(frame, 20, 20, buttons), kMouseEventNotHandled) << buttons;
    }
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(editor.log.empty());
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST_F(KickButtonTest, RemovedDuringAPressStillEndsTheEdit) {
    down(frame, 30, 20);
    frame->removeView(button);
    EXPECT_EQ(editor.log, (Log{"begin 7", "end 7"}));
}

// A knob (tag 3) of 30 frames of 10 x 10; frame i is filled with grey level 8 * i.
struct AnimKnobTest : FrameTest {
    AnimKnobTest() : FrameTest(CRect(0, 0, 100, 400)) {
        CBitmap* strip = makeBitmap(10, 300, [](int, int y) {
            const auto level = static_cast<std::uint8_t>(8 * (y / 10));
            return CColor(level, level, level);
        });
        knob = new CAnimKnob(CRect(20, 20, 30, 30), &listener, 3, 30, 10, strip);
        strip->forget();
        frame->addView(knob);
    }

    RecordingListener listener;
    CAnimKnob* knob;
};

TEST_F(AnimKnobTest, VerticalDragChangesTheValueInsideOneEditAndOnlyWithTheLeftButton) {
    drag(frame, {CPoint(25, 25), CPoint(25, 0)}, kRButton);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(editor.log.empty());
    EXPECT_EQ(knob->getValue(), 0.f);

    knob->setValue(0.25f);
    const CCoord q = CAnimKnob::kDragRange / 4;
    drag(frame, {CPoint(25, 25), CPoint(25, 25 - q), CPoint(25, 25 - 2 * q), CPoint(25, 25 + q),
                 CPoint(25, 25 - 10 * q)});
    EXPECT_EQ(listener.values, (std::vector<float>{0.5f, 0.75f, 0.f, 1.f}));
    EXPECT_EQ(knob->getValue(), 1.f);
    EXPECT_EQ(editor.log, (Log{"begin 3", "end 3"}));
}

TEST_F(AnimKnobTest, WheelStepsTheValueInsideAnEdit) {
    knob->setValue(0.5f);
    const struct {
        float distance, value;
        size_t edits;
    } steps[] = {{1.f, 0.6f, 2}, {-3.f, 0.3f, 4}, {-5.f, 0.f, 6}, {-1.f, 0.f, 6}};
    for (const auto& s : steps) {
        EXPECT_TRUE(frame->onWheel(CPoint(25, 25), s.distance, 0));
        EXPECT_NEAR(knob->getValue(), s.value, 1e-6) << s.distance;
        EXPECT_EQ(editor.log.size(), s.edits) << "no edit when the value stays";
    }
    EXPECT_EQ(listener.values.size(), 3u);
}

TEST_F(AnimKnobTest, DrawsTheFilmStripFrameOfTheValue) {
    const struct {
        float value;
        int32 frameIndex;
    } cases[] = {{0.f, 0}, {0.5f, 15}, {1.f, 29}, {0.02f, 1}};
    for (const auto& c : cases) {
        knob->setValue(c.value);
        frame->idle();
        EXPECT_EQ(knob->getCurrentFrame(), c.frameIndex);
        const auto level = static_cast<std::uint8_t>(8 * c.frameIndex);
        EXPECT_EQ(frame->getPixel(25, 25), CColor(level, level, level)) << c.value;
    }
}

TEST(CControl, SetValueClampsAndIgnoresNaN) {
    CControl control(CRect(0, 0, 1, 1));
    control.setValue(1.5f);
    EXPECT_EQ(control.getValue(), 1.f);
    control.setValue(-2.f);
    EXPECT_EQ(control.getValue(), 0.f);
    control.setValue(0.3f);
    control.setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(control.getValue(), 0.3f);
}

struct CTextLabelTest : FrameTest {
    CTextLabelTest() : FrameTest(CRect(0, 0, 200, 30)) {}

    // The first and last columns holding text pixels (anything but a black back).
    std::pair<int, int> inkColumns() {
        int first = -1, last = -1;
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 30; ++y)
                if (frame->getPixel(x, y).red > 128) {
                    first = first < 0 ? x : first;
                    last = x;
                }
        return {first, last};
    }
};

TEST_F(CTextLabelTest, DrawsTextCentredByDefaultAndRedrawsOnNewText) {
    auto* label = new CTextLabel(CRect(0, 0, 200, 30), "MMMM");
    label->setFrameColor(CColor(0, 0, 0));
    frame->addView(label);
    frame->idle();
    EXPECT_EQ(frame->getPixel(2, 2), CColor(0, 0, 0)) << "opaque black back";
    auto [first, last] = inkColumns();
    ASSERT_GE(first, 0) << "the text is drawn (white on black)";
    EXPECT_NEAR(first, 199 - last, 2) << "centred";

    const uint32 drawn = frame->getRenderCount();
    label->setText("MMMM");
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn) << "the same text changes nothing";
    label->setText("");
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn + 1);
    EXPECT_EQ(inkColumns().first, -1);

    // A new alignment alone redraws; the same one again does not.
    label->setText("MMMM");
    frame->idle();
    for (int i = 0; i < 2; ++i) {
        label->setHoriAlign(kLeftText);
        frame->idle();
    }
    EXPECT_EQ(frame->getRenderCount(), drawn + 3);
    EXPECT_LE(inkColumns().first, 3);
}

TEST_F(CTextLabelTest, TransparentLabelLeavesTheBackgroundAndKeepsItsFont) {
    frame->setBackgroundColor(CColor(0, 0, 255));
    CFontDesc font("Arial", 20, kBoldFace); // a plain member, as editors keep theirs
    auto* label = new CTextLabel(CRect(0, 0, 100, 30), "");
    label->setFont(&font);
    EXPECT_EQ(font.getNbReference(), 2);
    label->setTransparency(true);
    label->setBackColor(CColor(0, 0, 0, 0));
    frame->addView(label);
    frame->idle();
    EXPECT_EQ(frame->getPixel(50, 15), CColor(0, 0, 255));
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(font.getNbReference(), 1);
}

} // namespace
