#include "guitestsupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace VSTGUI;

namespace {

const CColor kReleased(200, 0, 0), kPressed(0, 200, 0);

// A 40 x 20 button at (10, 10) whose strip is red above and green below.
struct KickButtonTest : ::testing::Test {
    KickButtonTest() {
        CBitmap* strip = guitest::bitmapFromPng(
            guitest::makePng(40, 40, [](int, int y) { return y < 20 ? kReleased : kPressed; }));
        button = new CKickButton(CRect(10, 10, 50, 30), &listener, 7, strip);
        strip->forget();
        frame->addView(button);
    }
    ~KickButtonTest() override { frame->forget(); }

    guitest::RecordingEditor editor;
    guitest::RecordingListener listener;
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), &editor);
    CKickButton* button;
};

TEST_F(KickButtonTest, TracksThePointerAndReturnsToMinimumOnRelease) {
    struct Step {
        const char* kind;
        CCoord x, y;
        float value;
    };
    // Pressed while over the button, bounds included, released elsewhere.
    const Step steps[] = {{"down", 20, 20, 1.f},    {"moved", 60, 20, 0.f}, {"moved", 50, 30, 1.f},
                          {"moved", 50.5, 30, 0.f}, {"moved", 10, 10, 1.f}, {"moved", 9, 10, 0.f},
                          {"up", 80, 80, 0.f}};
    for (const Step& s : steps) {
        CPoint p(s.x, s.y);
        const std::string kind = s.kind;
        if (kind == "down") {
            EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseEventHandled);
        } else if (kind == "moved") {
            frame->onMouseMoved(p, kLButton);
        } else {
            EXPECT_EQ(frame->onMouseUp(p, kLButton), kMouseEventHandled);
        }
        EXPECT_EQ(button->getValue(), s.value) << kind << " " << s.x << "," << s.y;
        if (kind == "down") {
            EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 7"}));
        }
    }
    // Released outside: only the return to the minimum is reported.
    EXPECT_EQ(listener.values, (std::vector<float>{0.f}));
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 7", "end 7"}));
    EXPECT_EQ(listener.begins, 1);
    EXPECT_EQ(listener.ends, 1);
}

TEST_F(KickButtonTest, ReleaseOverTheButtonReportsThePressThenTheRelease) {
    EXPECT_EQ(guitest::click(frame, 30, 20), kMouseEventHandled);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST_F(KickButtonTest, RightAndMiddleButtonsAreNotHandled) {
    for (int32 buttons : {int32(kRButton), int32(kMButton), int32(kRButton | kShift)}) {
        CPoint p(20, 20);
        EXPECT_EQ(frame->onMouseDown(p, buttons), kMouseEventNotHandled) << buttons;
        CPoint q(20, 20);
        EXPECT_EQ(frame->onMouseUp(q, buttons), kMouseEventNotHandled) << buttons;
    }
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(editor.log.empty());
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST_F(KickButtonTest, DrawsTheLowerHalfWhilePressed) {
    frame->idle();
    EXPECT_EQ(frame->getPixel(30, 20), kReleased);
    CPoint p(30, 20);
    frame->onMouseDown(p, kLButton);
    frame->idle();
    EXPECT_EQ(frame->getPixel(30, 20), kPressed);
    EXPECT_EQ(frame->getPixel(10, 29), kPressed);
    CPoint q(30, 20);
    frame->onMouseUp(q, kLButton);
    frame->idle();
    EXPECT_EQ(frame->getPixel(30, 20), kReleased);
}

TEST_F(KickButtonTest, RemovedDuringAPressStillEndsTheEdit) {
    CPoint p(30, 20);
    frame->onMouseDown(p, kLButton);
    frame->removeView(button);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 7", "end 7"}));
}

// A knob of 30 frames of 10 x 10; frame i is filled with grey level 8 * i.
struct AnimKnobTest : ::testing::Test {
    AnimKnobTest() {
        CBitmap* strip = guitest::bitmapFromPng(guitest::makePng(10, 300, [](int, int y) {
            const auto level = static_cast<std::uint8_t>(8 * (y / 10));
            return CColor(level, level, level);
        }));
        knob = new CAnimKnob(CRect(20, 20, 30, 30), &listener, 3, 30, 10, strip);
        strip->forget();
        frame->addView(knob);
    }
    ~AnimKnobTest() override { frame->forget(); }

    void drag(std::initializer_list<CCoord> ys, int32 buttons = kLButton) {
        auto it = ys.begin();
        CPoint p(25, *it);
        frame->onMouseDown(p, buttons);
        for (++it; it != ys.end(); ++it) {
            CPoint m(25, *it);
            frame->onMouseMoved(m, buttons);
        }
        CPoint u(25, *(ys.end() - 1));
        frame->onMouseUp(u, buttons);
    }

    guitest::RecordingEditor editor;
    guitest::RecordingListener listener;
    CFrame* frame = new CFrame(CRect(0, 0, 100, 400), &editor);
    CAnimKnob* knob;
};

TEST_F(AnimKnobTest, VerticalDragChangesTheValueInsideOneEdit) {
    knob->setValue(0.25f);
    const CCoord quarter = CAnimKnob::kDragRange / 4;
    drag({25, 25 - quarter, 25 - 2 * quarter, 25 + quarter, 25 - 10 * quarter});
    EXPECT_EQ(listener.values, (std::vector<float>{0.5f, 0.75f, 0.f, 1.f}));
    EXPECT_EQ(knob->getValue(), 1.f);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 3", "end 3"}));
}

TEST_F(AnimKnobTest, DragWithoutTheLeftButtonIsIgnored) {
    drag({25, 0}, kRButton);
    EXPECT_TRUE(listener.values.empty());
    EXPECT_TRUE(editor.log.empty());
    EXPECT_EQ(knob->getValue(), 0.f);
}

TEST_F(AnimKnobTest, WheelStepsTheValueInsideAnEdit) {
    knob->setValue(0.5f);
    const CPoint at(25, 25);
    struct Step {
        float distance, value;
        size_t edits;
    };
    const Step steps[] = {{1.f, 0.6f, 2}, {-3.f, 0.3f, 4}, {-5.f, 0.f, 6}, {-1.f, 0.f, 6}};
    for (const Step& s : steps) {
        EXPECT_TRUE(frame->onWheel(at, s.distance, 0));
        EXPECT_NEAR(knob->getValue(), s.value, 1e-6) << s.distance;
        EXPECT_EQ(editor.log.size(), s.edits) << "no edit when the value stays";
    }
    EXPECT_EQ(listener.values.size(), 3u);
}

TEST_F(AnimKnobTest, DrawsTheFilmStripFrameOfTheValue) {
    struct Case {
        float value;
        int32 frameIndex;
    };
    for (const Case& c : {Case{0.f, 0}, Case{0.5f, 15}, Case{1.f, 29}, Case{0.02f, 1}}) {
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

// Columns of the label holding text pixels (anything but the black back).
std::pair<int, int> inkColumns(CFrame* frame, const CRect& r) {
    int first = -1, last = -1;
    for (int x = int(r.left); x < int(r.right); ++x)
        for (int y = int(r.top); y < int(r.bottom); ++y)
            if (frame->getPixel(x, y).red > 128) {
                if (first < 0)
                    first = x;
                last = x;
            }
    return {first, last};
}

TEST(CTextLabel, DrawsTextCentredByDefaultAndRedrawsOnNewText) {
    guitest::RecordingEditor editor;
    CFrame* frame = new CFrame(CRect(0, 0, 200, 30), &editor);
    const CRect r(0, 0, 200, 30);
    auto* label = new CTextLabel(r, "MMMM");
    label->setFrameColor(CColor(0, 0, 0));
    frame->addView(label);
    frame->idle();
    EXPECT_EQ(frame->getPixel(2, 2), CColor(0, 0, 0)) << "opaque black back";
    auto [first, last] = inkColumns(frame, r);
    ASSERT_GE(first, 0) << "the text is drawn (white on black)";
    EXPECT_NEAR(first, 199 - last, 2) << "centred";

    const uint32 drawn = frame->getRenderCount();
    label->setText("MMMM");
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn) << "the same text changes nothing";
    label->setText("");
    frame->idle();
    EXPECT_EQ(frame->getRenderCount(), drawn + 1);
    EXPECT_EQ(inkColumns(frame, r).first, -1);

    label->setText("MMMM");
    label->setHoriAlign(kLeftText);
    frame->idle();
    EXPECT_LE(inkColumns(frame, r).first, 3);
    frame->forget();
}

TEST(CTextLabel, TransparentLabelLeavesTheBackgroundAndKeepsItsFont) {
    guitest::RecordingEditor editor;
    CFrame* frame = new CFrame(CRect(0, 0, 100, 30), &editor);
    frame->setBackgroundColor(CColor(0, 0, 255));
    CFontDesc font("Arial", 20, kBoldFace); // a plain member, as editors keep theirs
    {
        auto* label = new CTextLabel(CRect(0, 0, 100, 30), "");
        label->setFont(&font);
        EXPECT_EQ(font.getNbReference(), 2);
        label->setTransparency(true);
        label->setBackColor(CColor(0, 0, 0, 0));
        frame->addView(label);
        frame->idle();
        EXPECT_EQ(frame->getPixel(50, 15), CColor(0, 0, 255));
    }
    frame->forget();
    EXPECT_EQ(font.getNbReference(), 1);
}

} // namespace
