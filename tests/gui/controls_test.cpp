#include "guitestsupport.h"

#include <cmath>

using namespace guitest;

namespace {

using Log = std::vector<std::string>;
using Controls = FrameTest;

CColor grey(int level) {
    const auto l = static_cast<std::uint8_t>(level);
    return CColor(l, l, l);
}

TEST_F(Controls, KickButtonShowsPressedOverItselfBoundsIncluded) {
    const CColor released(200, 0, 0), pressed(0, 200, 0);
    CBitmap* strip = makeBitmap(40, 40, [&](int, int y) { return y < 20 ? released : pressed; });
    auto* button = add(frame, new CKickButton(CRect(10, 10, 50, 30), &editor, 7, strip));
    strip->forget();
    EXPECT_EQ(down(frame, 20, 20, kRButton), kMouseEventNotHandled);
    // A press, moves out, onto the corner, just past it and back, a release.
    using Event = std::function<CMouseEventResult(CFrame*, CCoord, CCoord, int32)>;
    const std::tuple<Event, CCoord, CCoord, float> steps[] = {
        {down, 20, 20, 1},     {moveTo, 60, 20, 0}, {moveTo, 50, 30, 1},
        {moveTo, 50.5, 30, 0}, {moveTo, 10, 10, 1}, {up, 30, 20, 0}};
    for (const auto& [event, x, y, value] : steps) {
        EXPECT_EQ(event(frame, x, y, kLButton), kMouseEventHandled);
        EXPECT_EQ(button->getValue(), value) << x << "," << y;
        frame->idle();
        EXPECT_EQ(frame->getPixel(30, 20), value > 0 ? pressed : released);
    }
    // Taken away in the middle of a press, it still ends the edit.
    down(frame, 30, 20);
    frame->removeView(button);
    EXPECT_EQ(editor.log,
              (Log{"begin 7", "value 1.00", "value 0.00", "end 7", "begin 7", "end 7"}));
}

TEST_F(Controls, AnimKnobFollowsVerticalDragsAndTheWheelInsideEditsAndDrawsItsFrame) {
    // 30 frames of 10 x 10; frame i is grey level 8 * i.
    CBitmap* strip = makeBitmap(10, 300, [](int, int y) { return grey(8 * (y / 10)); });
    auto* knob = add(frame, new CAnimKnob(CRect(20, 20, 30, 30), &editor, 3, 30, 10, strip));
    strip->forget();
    drag(frame, {CPoint(25, 25), CPoint(25, 0)}, kRButton); // no edit: the log below
    knob->setValue(0.25f);
    const CCoord q = CAnimKnob::kDragRange / 4;
    drag(frame, {CPoint(25, 25), CPoint(25, 25 - q), CPoint(25, 25 - 2 * q), CPoint(25, 25 + q),
                 CPoint(25, 25 - 10 * q)});
    EXPECT_EQ(editor.log,
              (Log{"begin 3", "value 0.50", "value 0.75", "value 0.00", "value 1.00", "end 3"}));
    // Wheel steps: no edit when the value stays.
    const std::tuple<float, float, size_t, int> steps[] = {
        {-5, 0.5f, 9, 15}, {-3, 0.2f, 12, 6}, {-5, 0, 15, 0}, {-1, 0, 15, 0}};
    for (const auto& [distance, value, edits, frameIndex] : steps) {
        EXPECT_TRUE(frame->onWheel(CPoint(25, 25), distance, 0));
        EXPECT_NEAR(knob->getValue(), value, 1e-6) << distance;
        EXPECT_EQ(editor.log.size(), edits) << distance;
        frame->idle();
        EXPECT_EQ(frame->getPixel(25, 25), grey(8 * frameIndex)) << value;
    }
    knob->setValue(0.02f);
    EXPECT_EQ(knob->getCurrentFrame(), 1);
    // Values outside the range are clamped; no number changes nothing.
    for (const float v : {1.5f, -2.f, std::nanf("")}) {
        knob->setValue(v);
        EXPECT_EQ(knob->getValue(), v > 0 ? 1.f : 0.f) << v;
    }
}

TEST_F(Controls, TextLabelDrawsCentredTextOnItsBackAndRedrawsOnlyOnChange) {
    auto* label = add(frame, new CTextLabel(CRect(0, 0, 200, 30), "MMMM"));
    label->setFrameColor(CColor(0, 0, 255));
    // The first and last columns holding text pixels (white on a black back).
    const auto ink = [this] {
        int first = -1, last = -1;
        for (int x = 2; x < 198; ++x)
            for (int y = 2; y < 28; ++y)
                if (frame->getPixel(x, y).red > 128)
                    first = first < 0 ? x : first, last = x;
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

TEST_F(Controls, BitmapsFoundByNameInAnyCaseDrawTheirStripPartAndDamagedOnesNothing) {
    const std::vector<unsigned char> png = makePng(4, 8, [](int x, int y) {
        return CColor(static_cast<std::uint8_t>(y * 30), 0, x == 0 ? 255 : 0);
    });
    registerTestImage("TB_ONE.PNG", png);
    for (const char* name : {"tb_one.png", "Tb_One.png"}) {
        CBitmap* bitmap = new CBitmap(CResourceDescription(name));
        EXPECT_EQ(CPoint(bitmap->getWidth(), bitmap->getHeight()), CPoint(4, 8)) << name;
        frame->addView(new CKickButton(CRect(10, 10, 14, 14), nullptr, 0, 4, bitmap, CPoint(0, 2)));
        bitmap->forget();
    }
    static const unsigned char a[] = {1}, b[] = {2};
    static const EmbeddedResource first[] = {{"tb_same.png", a, 1}},
                                  second[] = {{"TB_SAME.PNG", b, 1}};
    registerEmbeddedResources(first, 1);
    registerEmbeddedResources(second, 1);
    registerEmbeddedResources(first, 1); // known already: keeps its place, the later table wins
    EXPECT_EQ(findEmbeddedResource("tb_same.png")->data, b);
    EXPECT_EQ(findEmbeddedResource("tb_same"), nullptr);
    EXPECT_EQ(findEmbeddedResource(nullptr), nullptr);
    registerEmbeddedResources(nullptr, 3);

    registerTestImage("tb_cut.png", {png.begin(), png.begin() + png.size() / 2});
    registerTestImage("tb_garbage.png", std::vector<unsigned char>(100, 0x5a));
    registerTestImage("tb_empty.png", {});
    const CResourceDescription cases[] = {"tb_nothere.png", "tb",    "tb_cut.png", "tb_garbage.png",
                                          "tb_empty.png",   nullptr, 128};
    frame->setBackgroundColor(CColor(0, 99, 0));
    auto* view = add(frame, new CView(CRect(20, 0, 30, 10)));
    for (const CResourceDescription& desc : cases) {
        CBitmap* bitmap = new CBitmap(desc);
        EXPECT_FALSE(bitmap->isLoaded() || bitmap->getPlatformBitmap() || bitmap->getWidth());
        view->setBackground(bitmap);
        bitmap->forget();
        frame->idle();
        EXPECT_EQ(frame->getPixel(25, 5), CColor(0, 99, 0)) << "draws nothing";
    }
    EXPECT_EQ(frame->getPixel(10, 10), CColor(60, 0, 255)) << "row 2 at the top-left";
    EXPECT_EQ(frame->getPixel(13, 13), CColor(150, 0, 0)) << "row 5 at the bottom-right";
    EXPECT_EQ(frame->getPixel(13, 14), CColor(0, 99, 0)) << "clipped to the view";
    EXPECT_EQ(frame->getPixel(-1, 25), CColor(0, 0, 0, 0)) << "nothing outside the frame";
}

TEST_F(Controls, DataBrowserSelectsByLeftClickScrollsWithinTheListAndReadsItInPlace) {
    // 177 rows of 10 pixels in a 100 x 200 browser at (10, 20) with a
    // 16-pixel scroll bar, set up as an editor would.
    const CColor gold(253, 203, 10), scroller(33, 33, 33), clear(0, 0, 0, 0);
    std::vector<std::string> names(177, "Program");
    auto* source = new GenericStringListDataBrowserSource(&names, &editor);
    source->setupUI(gold, CColor(255, 255, 255), clear, clear, clear, nullptr, 10);
    auto* browser = add(frame, new CDataBrowser(CRect(10, 20, 110, 220), frame, source,
                                                CScrollView::kVerticalScrollbar, 16));
    source->forget(); // the browser holds it now
    CScrollbar* bar = browser->getVerticalScrollbar();
    bar->setScrollerColor(scroller);
    for (const auto& [y, selected] :
         {std::pair{25., 0}, {59.9, 3}, {59.9, 3}, {60., 4}, {219., 19}})
        EXPECT_EQ((click(frame, 93, y), browser->getSelectedRow()), selected) << y;
    EXPECT_EQ(click(frame, 50, 60, kRButton), kMouseEventNotHandled);
    browser->setSelectedRow(100, true);
    EXPECT_EQ(browser->getScrollOffset(), 1010 - 200) << "scrolled as little as needed";
    browser->setSelectedRow(2, false);
    EXPECT_EQ(browser->getScrollOffset(), 810) << "not made visible";
    browser->setSelectedRow(177, true);

    const CCoord max = 177 * 10 - 200;
    const std::pair<float, CCoord> steps[] = {{1000, 0}, {-1, 30},     {-2, 90},
                                              {1, 60},   {-1000, max}, {std::nanf(""), max}};
    for (const auto& [distance, offset] : steps) {
        frame->onWheel(CPoint(50, 100), distance, 0);
        EXPECT_EQ(browser->getScrollOffset(), offset) << distance;
    }
    click(frame, 50, 25); // the first visible row is now the 158th
    EXPECT_EQ(browser->getSelectedRow(), 157);
    frame->onWheel(CPoint(50, 100), 1000.f, 0);
    const CCoord height = bar->getScrollerRect().getHeight();
    EXPECT_NEAR(height, 200.0 * 200 / 1770, 1e-9);
    // Dragging the scroller over its whole travel scrolls over the whole list.
    drag(frame, {CPoint(100, 25), CPoint(100, 25 + 200 - height)});
    EXPECT_NEAR(browser->getScrollOffset(), max, 1e-9);
    click(frame, 100, 30); // the track above the scroller: one page up
    EXPECT_NEAR(browser->getScrollOffset(), max - 200, 1e-9);
    EXPECT_EQ(editor.log,
              (Log{"row 0", "row 3", "row 4", "row 19", "row 100", "row 2", "row -1", "row 157"}))
        << "only changes are reported; scrolling selects nothing";
    // Drawn: the selection, transparent rows, the scroller.
    frame->setBackgroundColor(CColor(0, 0, 128));
    browser->setSelectedRow(1);
    frame->onWheel(CPoint(50, 100), 1000.f, 0);
    frame->idle();
    EXPECT_EQ(frame->getPixel(12, 39), gold) << "row 1 spans y 30..40";
    EXPECT_EQ(frame->getPixel(80, 25), CColor(0, 0, 128));
    EXPECT_EQ(frame->getPixel(102, 22), scroller);
    // A list exactly as tall as the view, then a shorter one: the scroller
    // fills the bar and dragging it scrolls nothing.
    for (const int rows : {20, 5}) {
        names.resize(static_cast<std::size_t>(rows));
        EXPECT_EQ(std::pair(browser->getNumRows(), browser->getMaxScrollOffset()),
                  std::pair(rows, 0.));
        EXPECT_EQ(bar->getScrollerRect(), CRect(84, 0, 100, 200)) << "every row shows";
        drag(frame, {CPoint(100, 30), CPoint(100, 150)});
        EXPECT_EQ(browser->getScrollOffset(), 0.);
        frame->idle(); // drawing a shorter list must not read past its end
    }
}

} // namespace
