// Shared pieces of the toolkit's tests: PNG images made in memory, a probe
// view that records what reaches it, recorders for listeners and editors,
// mouse gestures, and a clock the tests step by hand.
#pragma once

#include "gui/vstgui.h"
#include "gui/vstguieditorinterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace guitest {

using namespace VSTGUI;

// A PNG file of width x height whose pixel (x, y) has the colour pixel(x, y).
std::vector<unsigned char> makePng(int width, int height,
                                   const std::function<CColor(int x, int y)>& pixel);

// Registers a PNG under a name for the rest of the test program (the bytes
// are kept alive here).
void registerTestImage(const std::string& name, std::vector<unsigned char> png);

// A bitmap of width x height coloured by pixel (one reference, the caller's).
CBitmap* makeBitmap(int width, int height, const std::function<CColor(int x, int y)>& pixel);

// A view that records the mouse events it receives and how many of its kind
// are alive, answering mouse-downs as told.
class ProbeView : public CView {
public:
    struct Event {
        const char* kind;
        CPoint where;
    };

    explicit ProbeView(const CRect& size, CMouseEventResult downAnswer = kMouseEventHandled)
        : CView(size), downAnswer(downAnswer) {
        ++alive;
    }
    ~ProbeView() override { --alive; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override {
        return record("down", where, onDown), downAnswer;
    }
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState&) override {
        return record("up", where, onUp), kMouseEventHandled;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override {
        return record("moved", where, nullptr), kMouseEventHandled;
    }
    bool onWheel(const CPoint& where, const float&, const CButtonState&) override {
        return record("wheel", where, nullptr), wheelAnswer;
    }

    // The kinds of the events so far, as "down moved up ".
    std::string kinds() const {
        std::string k;
        for (const Event& e : events)
            k += std::string(e.kind) + " ";
        return k;
    }

    std::vector<Event> events;
    CMouseEventResult downAnswer;
    bool wheelAnswer = true;
    std::function<void()> onDown; // runs inside onMouseDown when set
    std::function<void()> onUp;   // runs inside onMouseUp when set

    static inline int alive = 0;

private:
    void record(const char* kind, const CPoint& where, const std::function<void()>& then) {
        events.push_back({kind, where});
        if (then)
            then();
    }
};

class RecordingListener : public CControlListener {
public:
    void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
    void controlBeginEdit(CControl*) override { ++begins; }
    void controlEndEdit(CControl*) override { ++ends; }

    std::vector<float> values;
    int begins = 0;
    int ends = 0;
};

// An editor as the frame sees it: records begin/end edits by tag.
class RecordingEditor : public VSTGUIEditorInterface {
public:
    void beginEdit(int32 index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(int32 index) override { log.push_back("end " + std::to_string(index)); }
    bool beforeSizeChange(const CRect&, const CRect&) override { return allowResize; }

    std::vector<std::string> log;
    bool allowResize = true;
};

// A frame of the given size over a recording editor, released at the end.
struct FrameTest : ::testing::Test {
    explicit FrameTest(const CRect& size = CRect(0, 0, 200, 100))
        : frame(new CFrame(size, &editor)) {}
    ~FrameTest() override {
        if (frame != nullptr)
            frame->forget();
    }

    RecordingEditor editor;
    CFrame* frame;
};

struct ManualClock {
    uint64_t now = 1000;
    std::function<uint64_t()> source() {
        return [this] { return now; };
    }
};

// Single mouse events at a point of the frame.
CMouseEventResult down(CFrame* frame, CCoord x, CCoord y, int32 buttons = kLButton);
CMouseEventResult moveTo(CFrame* frame, CCoord x, CCoord y, int32 buttons = kLButton);
CMouseEventResult up(CFrame* frame, CCoord x, CCoord y, int32 buttons = kLButton);
// A full click (down, up); returns what the press answered.
CMouseEventResult click(CFrame* frame, CCoord x, CCoord y, int32 buttons = kLButton);
// A press at the first point, moves through the others, release at the last.
void drag(CFrame* frame, std::initializer_list<CPoint> path, int32 buttons = kLButton);

} // namespace guitest
