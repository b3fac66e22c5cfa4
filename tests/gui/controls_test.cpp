#include "guitestsupport.h"

#include <limits>
#include <vector>

using namespace VSTGUI;
using namespace guitest;

namespace {

using Log = std::vector<std::string>;
using Controls = FrameTest;

TEST_F(Controls, KickButtonShowsPressedOverItselfBoundsIncluded) {
    const CColor released(200, 0, 0), pressed(0, 200, 0);
    CBitmap* strip = makeBitmap(40, 40, [&](int, int y) { return y < 20 ? released : pressed; });
    RecordingListener listener;
    auto* button = new CKickButton(CRect(10, 10, 50, 30), &listener, 7, strip);
    strip->forget();
    frame->addView(button);
    EXPECT_EQ(down(frame, 20, 20, kRButton), kMouseEventNotHandled);
    const struct {
        CMouseEventResult (*send)(CFrame*, CCoord, CCoord, int32);
        CCoord x, y;
        float value;
    } steps[] = {{down, 20, 20, 1.f},     {moveTo, 60, 20, 0.f}, {moveTo, 50, 30, 1.f},
                 {moveTo, 50.5, 30, 0.f}, {moveTo, 10, 10, 1.f}, {up, 30, 20, 0.f}};
    for (const auto& s : steps) {
        EXPECT_EQ(s.send(frame, s.x, s.y, kLButton), kMouseEventHandled);
        EXPECT_EQ(button->getValue(), s.value) << s.x << "," << s.y;
        frame->idle();
        EXPECT_EQ(frame->getPixel(30, 20), s.value > 0 ? pressed : released);
    }
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
    // Taken away in the middle of a press, it still ends the edit.
    down(frame, 30, 20);
    frame->removeView(button);
    EXPECT_EQ(editor.log, (Log{"begin 7", "end 7", "begin 7", "end 7"}));
}

TEST_F(Controls, AnimKnobFollowsVerticalDragsAndTheWheelInsideEditsAndDrawsItsFrame) {
    // 30 frames of 10 x 10; frame i is grey level 8 * i.
    CBitmap* strip = makeBitmap(10, 300, [](int, int y) {
        const auto level = static_cast<std::uint8_t>(8 * (y / 10));
        return CColor(level, level, level);
    });
    RecordingListener listener;
    auto* knob = new CAnimKnob(CRect(20, 20, 30, 30), &listener, 3, 30, 10, strip);
    strip->forget();
    frame->addView(knob);
    drag(frame, {CPoint(25, 25), CPoint(25, 0)}, kRButton);
    EXPECT_TRUE(editor.log.empty());

    knob->setValue(0.25f);
    const CCoord q = CAnimKnob::kDragRange / 4;
    drag(frame, {CPoint(25, 25), CPoint(25, 25 - q), CPoint(25, 25 - 2 * q), CPoint(25, 25 + q),
                 CPoint(25, 25 - 10 * q)});
    EXPECT_EQ(listener.values, (std::vector<float>{0.5f, 0.75f, 0.f, 1.f}));
    EXPECT_EQ(editor.log, (Log{"begin 3", "end 3"}));

    const struct {
        float distance, value;
        size_t edits;
        int32 frameIndex;
    } steps[] = {{-5.f, 0.5f, 4, 15}, {-3.f, 0.2f, 6, 6}, {-5.f, 0.f, 8, 0}, {-1.f, 0.f, 8, 0}};
    for (const auto& s : steps) {
        EXPECT_TRUE(frame->onWheel(CPoint(25, 25), s.distance, 0));
        EXPECT_NEAR(knob->getValue(), s.value, 1e-6) << s.distance;
        EXPECT_EQ(editor.log.size(), s.edits) << "no edit when the value stays";
        frame->idle();
        const auto level = static_cast<std::uint8_t>(8 * s.frameIndex);
        EXPECT_EQ(frame->getPixel(25, 25), CColor(level, level, level)) << s.value;
    }
    knob->setValue(0.02f);
    EXPECT_EQ(knob->getCurrentFrame(), 1);
    // Values outside the range are clamped; no number changes nothing.
    for (const float v : {1.5f, -2.f, std::numeric_limits<float>::quiet_NaN()}) {
        knob->setValue(v);
        EXPECT_EQ(knob->getValue(), v > 0 ? 1.f : 0.f) << v;
    }
}

TEST_F(Controls, TextLabelDrawsCentredTextOnItsBackAndRedrawsOnlyOnChange) {
    auto* label = new CTextLabel(CRect(0, 0, 200, 30), "MMMM");
    label->setFrameColor(CColor(0, 0, 255));
    frame->addView(label);
    // The first and last columns holding text pixels (white on a black back).
    const auto ink = [this] {
        int first = -1, last = -1;
        for (int x = 2; x < 198; ++x)
            for (int y = 2; y < 28; ++y)
                if (frame->getPixel(x, y).red > 128) {
                    first = first < 0 ? x : first;
                    last = x;
                }
        return std::pair{first, last};
    };
    frame->idle();
    EXPECT_EQ(frame->getPixel(5, 5), CColor(0, 0, 0)) << "opaque black back";
    EXPECT_EQ(frame->getPixel(0, 15), CColor(0, 0, 255)) << "framed";
    const auto [first, last] = ink();
    ASSERT_GE(first, 0);
    EXPECT_NEAR(first, 199 - last, 2) << "centred";
    const uint32 drawn = frame->getRenderCount();
    for (int i = 0; i < 2; ++i) {
        label->setText("MMMM");
        label->setHoriAlign(kLeftText);
        frame->idle();
    }
    EXPECT_EQ(frame->getRenderCount(), drawn + 1) << "only what changed redraws";
    EXPECT_LE(ink().first, 3);

    // Transparent: the frame's colour shows through.
    frame->setBackgroundColor(CColor(0, 0, 255));
    label->setText("");
    label->setTransparency(true);
    frame->idle();
    EXPECT_EQ(frame->getPixel(50, 15), CColor(0, 0, 255));
}

} // namespace
