// What a window of the instrument's size costs: a full redraw into the
// off-screen image (done at every idle that finds something dirty), one idle
// step of an exchange animation, and decoding a picture (done at every
// exchange).
#include "gui/vstgui.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <string>
#include <vector>

using namespace VSTGUI;

namespace {

std::vector<unsigned char> makePng(int width, int height, unsigned seed) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(s);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, width, height);
    cairo_pattern_add_color_stop_rgba(gradient, 0, (seed % 7) / 7.0, 0.3, 0.6, 1);
    cairo_pattern_add_color_stop_rgba(gradient, 1, 0.9, (seed % 5) / 5.0, 0.1, 0.7);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
    cairo_destroy(cr);
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(
        s,
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(s);
    return png;
}

struct Window {
    Window() {
        for (int i = 0; i < 177; ++i)
            names.push_back("Program number " + std::to_string(i));
        frame = new CFrame(CRect(0, 0, 578, 356), nullptr);
        CBitmap* back = bitmap(578, 356, 1);
        frame->setBackground(back);
        back->forget();
        CBitmap* strip = bitmap(48, 1440, 2);
        auto* knob = new CAnimKnob(CRect(296, 106, 344, 154), nullptr, 0, 30, 48, strip);
        strip->forget();
        knob->setValue(0.4f);
        frame->addView(knob);
        for (int i = 0; i < 10; ++i) {
            CBitmap* image = bitmap(115, 58, 3 + i);
            frame->addView(
                new CKickButton(CRect(454, 94 + 20 * i, 569, 123 + 20 * i), nullptr, 12345, image));
            image->forget();
        }
        for (const CRect& r :
             {CRect(276, 154, 364, 174), CRect(276, 86, 364, 106), CRect(209, 62, 371, 76)}) {
            auto* label = new CTextLabel(r, "Funkiness");
            label->setTransparency(true);
            frame->addView(label);
        }
        bottles = new CViewContainer(CRect(209, 88, 371, 301));
        CBitmap* container = bitmap(162, 213, 20);
        bottles->setBackground(container);
        container->forget();
        bottles->addView(new CView(CRect(18, 11, 145, 229)));
        frame->addView(bottles);
        auto* source = new GenericStringListDataBrowserSource(&names);
        source->setupUI(CColor(253, 203, 10), CColor(255, 255, 255), CColor(0, 0, 0, 0),
                        CColor(0, 0, 0, 0), CColor(0, 0, 0, 0));
        auto* list = new CDataBrowser(CRect(10, 84, 125, 304), frame, source,
                                      CScrollView::kVerticalScrollbar, 16);
        source->forget();
        list->setSelectedRow(40, true);
        frame->addView(list);
        frame->setTimeSource([this] { return now; });
    }
    ~Window() { frame->forget(); }

    static CBitmap* bitmap(int w, int h, unsigned seed) {
        const std::vector<unsigned char> png = makePng(w, h, seed);
        return new CBitmap(png.data(), png.size());
    }

    std::vector<std::string> names;
    CFrame* frame;
    CViewContainer* bottles;
    uint64_t now = 0;
};

void BM_FullRedraw(benchmark::State& state) {
    Window window;
    for (auto _ : state) {
        window.frame->invalidate();
        window.frame->idle();
    }
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

void BM_ExchangeAnimationAt30Hz(benchmark::State& state) {
    Window window;
    const std::vector<unsigned char> png = makePng(127, 218, 9);
    for (auto _ : state) {
        state.PauseTiming();
        auto* next = new CView(CRect(18, 11, 145, 229));
        CBitmap* picture = new CBitmap(png.data(), png.size());
        next->setBackground(picture);
        picture->forget();
        window.bottles->addAnimation("ExchangeViewAnimation",
                                     new Animation::ExchangeViewAnimation(
                                         window.bottles->getView(0), next,
                                         Animation::ExchangeViewAnimation::kPushInFromRight),
                                     new Animation::LinearTimingFunction(200));
        state.ResumeTiming();
        // One exchange is seven idles of a host idling 30 times a second.
        for (int step = 0; step < 7; ++step) {
            window.now += 33;
            window.frame->idle();
        }
    }
    state.SetItemsProcessed(state.iterations() * 7);
}
BENCHMARK(BM_ExchangeAnimationAt30Hz)->Unit(benchmark::kMicrosecond);

void BM_DecodeBottlePicture(benchmark::State& state) {
    const std::vector<unsigned char> png = makePng(127, 218, 4);
    for (auto _ : state) {
        CBitmap* b = new CBitmap(png.data(), png.size());
        benchmark::DoNotOptimize(b->getPlatformBitmap());
        b->forget();
    }
}
BENCHMARK(BM_DecodeBottlePicture)->Unit(benchmark::kMicrosecond);

} // namespace
