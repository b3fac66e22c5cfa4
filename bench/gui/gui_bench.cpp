// What a window of the instrument's size costs: a full redraw into the
// off-screen image (done at every idle that finds something dirty), one idle
// step of an exchange animation, and decoding a picture (done at every
// exchange).
#include "gui/vstgui.h"
#include "resources/instrumentimages.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace VSTGUI;

namespace {

struct Window {
    Window() {
        amber::registerInstrumentImages();
        for (int i = 0; i < 177; ++i)
            names.push_back("Program number " + std::to_string(i));
        frame = new CFrame(CRect(0, 0, 578, 356), nullptr);
        CBitmap* back = bitmap("background.png");
        frame->setBackground(back);
        back->forget();
        CBitmap* strip = bitmap("animknob.png");
        auto* knob = new CAnimKnob(CRect(296, 106, 344, 154), nullptr, 0, 30, 48, strip);
        strip->forget();
        knob->setValue(0.4f);
        frame->addView(knob);
        const char* buttons[] = {
            "prevprog.png", "nextprog.png", "kestrovalian.png", "at_faves.png",  "at_drums.png",
            "at_leads.png", "at_bass.png",  "at_pads.png",      "at_lasers.png", "at_other.png"};
        for (int i = 0; i < 10; ++i) {
            CBitmap* image = bitmap(buttons[i]);
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
        CBitmap* container = bitmap("container1.png");
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

    // One of the instrument's own pictures; measuring without it would mislead.
    static CBitmap* bitmap(const char* name) {
        auto* b = new CBitmap(CResourceDescription(name));
        if (!b->isLoaded()) {
            std::fprintf(stderr, "gui_bench: no image %s\n", name);
            std::abort();
        }
        return b;
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
    for (auto _ : state) {
        state.PauseTiming();
        auto* next = new CView(CRect(18, 11, 145, 229));
        CBitmap* picture = Window::bitmap("bottle_drums1.png");
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
    amber::registerInstrumentImages();
    for (auto _ : state) {
        CBitmap* b = Window::bitmap("bottle_drums1.png");
        benchmark::DoNotOptimize(b->getPlatformBitmap());
        b->forget();
    }
}
BENCHMARK(BM_DecodeBottlePicture)->Unit(benchmark::kMicrosecond);

} // namespace
