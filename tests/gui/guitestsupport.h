// Shared pieces of the toolkit's tests: PNG images made in memory, a probe
// view that records what reaches it, a recording editor, mouse gestures.
#pragma once

#include "gui/vstgui.h"
#include "gui/vstguieditorinterface.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace guitest {

using namespace VSTGUI;

// A PNG file of width x height whose pixel (x, y) has the opaque colour pixel(x, y).
inline std::vector<unsigned char> makePng(int width, int height,
                                          const std::function<CColor(int x, int y)>& pixel) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const CColor c = pixel(x, y);
            data[y * cairo_image_surface_get_stride(surface) / 4 + x] =
                0xff000000u | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
        }
    cairo_surface_mark_dirty(surface);
    std::vector<unsigned char> png;
    const auto append = [](void* out, const unsigned char* bytes, unsigned int length) {
        auto* v = static_cast<std::vector<unsigned char>*>(out);
        return v->insert(v->end(), bytes, bytes + length), CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_write_to_png_stream(surface, append, &png);
    cairo_surface_destroy(surface);
    return png;
}

// Registers a PNG under a name (a literal) for the rest of the test program.
inline void registerTestImage(const char* name, std::vector<unsigned char> png) {
    static std::deque<std::pair<std::vector<unsigned char>, EmbeddedResource>> stored;
    auto& [bytes, entry] = stored.emplace_back(std::move(png), EmbeddedResource{});
    entry = {name, bytes.data(), bytes.size()};
    registerEmbeddedResources(&entry, 1);
}

// A bitmap made by makePng (one reference, the caller's).
inline CBitmap* makeBitmap(int width, int height,
                           const std::function<CColor(int x, int y)>& pixel) {
    const std::vector<unsigned char> png = makePng(width, height, pixel);
    return new CBitmap(png.data(), png.size());
}

// Adds a view to a container (the container owns it now); returns the view.
template <typename V> V* add(CViewContainer* container, V* view) {
    return container->addView(view), view;
}

// A view that records the kinds of mouse events it receives ("down moved up ")
// and the first point, counts how many probes are alive, answers presses and
// the wheel as told, and runs onDown/onUp inside those handlers when set.
struct ProbeView : CView {
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

    void record(const char* kind, const CPoint& where, const std::function<void()>& then) {
        if (kinds.empty())
            first = where;
        kinds += std::string(kind) + " ";
        if (then)
            then();
    }

    std::string kinds;
    CPoint first{-1, -1};
    CMouseEventResult downAnswer;
    bool wheelAnswer = true;
    std::function<void()> onDown, onUp;
    static inline int alive = 0;
};

// An editor as the frame sees it, a listener of its controls and of a list's
// selection: records begin and end edits by tag, the values between them
// ("value 0.50") and the rows selected ("row 3").
using SelectionListener = IGenericStringListDataBrowserSourceSelectionChanged;
struct RecordingEditor : VSTGUIEditorInterface, CControlListener, SelectionListener {
    void beginEdit(int32 index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(int32 index) override { log.push_back("end " + std::to_string(index)); }
    void valueChanged(CControl* control) override {
        log.push_back("value " + std::to_string(control->getValue()).substr(0, 4));
    }
    void dbSelectionChanged(int32 row, GenericStringListDataBrowserSource*) override {
        log.push_back("row " + std::to_string(row));
    }
    std::vector<std::string> log;
};

// A 200 x 300 frame over a recording editor, released at the end.
struct FrameTest : ::testing::Test {
    ~FrameTest() override {
        if (frame != nullptr)
            frame->forget();
    }
    RecordingEditor editor;
    CFrame* frame = new CFrame(CRect(0, 0, 200, 300), &editor);
};

// Single mouse events at a point of the frame; each returns the frame's answer.
template <CMouseEventResult (CFrame::*handler)(CPoint&, const CButtonState&)> struct MouseEvent {
    CMouseEventResult operator()(CFrame* frame, CCoord x, CCoord y,
                                 int32 buttons = kLButton) const {
        CPoint p(x, y);
        return (frame->*handler)(p, CButtonState(buttons));
    }
};
constexpr MouseEvent<&CFrame::onMouseDown> down;
constexpr MouseEvent<&CFrame::onMouseMoved> moveTo;
constexpr MouseEvent<&CFrame::onMouseUp> up;
// A full click (down, up); returns what the press answered.
inline CMouseEventResult click(CFrame* frame, CCoord x, CCoord y, int32 buttons = kLButton) {
    const CMouseEventResult pressed = down(frame, x, y, buttons);
    return up(frame, x, y, buttons), pressed;
}
// A press at the first point, moves through the others, release at the last.
inline void drag(CFrame* frame, std::initializer_list<CPoint> path, int32 buttons = kLButton) {
    const CPoint* p = path.begin();
    down(frame, p->x, p->y, buttons);
    for (++p; p != path.end(); ++p)
        moveTo(frame, p->x, p->y, buttons);
    up(frame, (p - 1)->x, (p - 1)->y, buttons);
}

} // namespace guitest
