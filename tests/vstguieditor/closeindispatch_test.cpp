// A host that answers the editor's request to update its display by closing
// the editor, or the whole plug-in: the request comes while the window still
// dispatches the click that caused it. Nothing may touch the freed window,
// views or editor afterwards (AddressSanitizer watches).
#include "engine/samplerengine.h"
#include "guitestsupport.h"
#include "plugin/vstguivstinterface.h"
#include "vstguieditor/vstguieditor.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

// Xlib's macros (None, Bool) must come after the test framework's headers.
#include <X11/Xlib.h>

using namespace VSTGUI;

namespace {

const CPoint kListRow(40, 120), kNextButton(410, 200);

AEffect* g_effect = nullptr;
VstInt32 g_closeWith = 0;
int g_closes = 0;

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterVersion)
        return kVstVersion;
    if (opcode == audioMasterUpdateDisplay && g_effect != nullptr) {
        AEffect* effect = g_effect;
        if (g_closeWith == effClose)
            g_effect = nullptr;
        effect->dispatcher(effect, g_closeWith, 0, 0, nullptr, 0.f);
        ++g_closes;
    }
    return 0;
}

struct CloseInDispatch : testing::TestWithParam<VstInt32> {
    void SetUp() override {
        g_closeWith = GetParam();
        g_closes = 0;
        testing::internal::CaptureStdout();
        makePlugin();
    }
    void makePlugin() {
        auto* engine = new SamplerEngine();
        plugin = new VSTGuiVSTInterface(&hostCallback, *engine, 61547);
        plugin->ownEngine([](SynthEngine* e) { delete static_cast<SamplerEngine*>(e); });
        g_effect = plugin->getAeffect();
    }
    void TearDown() override {
        if (g_effect != nullptr)
            g_effect->dispatcher(g_effect, effClose, 0, 0, nullptr, 0.f);
        g_effect = nullptr;
        testing::internal::GetCapturedStdout();
    }
    VSTGuiVSTInterface* plugin = nullptr;
};

TEST_P(CloseInDispatch, OffScreenClicksOnTheListAndTheNextButton) {
    for (const CPoint& at : {kListRow, kNextButton}) {
        if (g_effect == nullptr)
            makePlugin();
        auto* editor = static_cast<VSTGuiEditor*>(plugin->getEditor());
        ASSERT_TRUE(editor->open(nullptr));
        CFrame* frame = editor->getFrame();
        const int closes = g_closes;
        guitest::down(frame, at.x, at.y);
        if (g_closes == closes)
            guitest::up(frame, at.x, at.y);
        EXPECT_EQ(g_closes, closes + 1);
        if (g_effect != nullptr) {
            EXPECT_EQ(editor->getFrame(), nullptr);
        }
    }
}

TEST_P(CloseInDispatch, ClicksFromXdotoolInARealWindow) {
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr)
        GTEST_SKIP() << "no X display";
    for (const CPoint& at : {kListRow, kNextButton}) {
        if (g_effect == nullptr)
            makePlugin();
        const Window window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 578, 356, 0, 0, 0);
        XMapRaised(display, window);
        XSync(display, False);
        ASSERT_EQ(
            g_effect->dispatcher(g_effect, effEditOpen, 0, 0, reinterpret_cast<void*>(window), 0.f),
            1);
        const int closes = g_closes;
        auto idleFor = [&](int ms) {
            for (int waited = 0; waited < ms && g_closes == closes; waited += 15) {
                g_effect->dispatcher(g_effect, effEditIdle, 0, 0, nullptr, 0.f);
                std::this_thread::sleep_for(std::chrono::milliseconds(15));
            }
        };
        idleFor(300); // the first expose and drawing
        const std::string click = "xdotool mousemove --window " + std::to_string(window) + " " +
                                  std::to_string(int(at.x)) + " " + std::to_string(int(at.y)) +
                                  " click 1";
        ASSERT_EQ(std::system(click.c_str()), 0);
        idleFor(3000);
        EXPECT_EQ(g_closes, closes + 1) << "the click never reached the editor";
        if (g_effect != nullptr) {
            EXPECT_EQ(static_cast<VSTGuiEditor*>(plugin->getEditor())->getFrame(), nullptr);
        }
        XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
}

INSTANTIATE_TEST_SUITE_P(HostCloses, CloseInDispatch, testing::Values(effEditClose, effClose),
                         [](const auto& info) {
                             return std::string(info.param == effClose ? "ThePlugIn" : "TheEditor");
                         });

} // namespace
