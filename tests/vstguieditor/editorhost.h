#pragma once

// A host for the editor tests: builds the instrument's plug-in object with
// its editor, drives it through its AEffect record as a host does, records
// the requests the plug-in sends back, and works the window off-screen
// (synthetic mouse events from guitestsupport.h) on a hand-stepped clock.

#include "engine/samplerengine.h"
#include "gui/cframe.h"
#include "guitestsupport.h"
#include "platform/vstrecords.h"
#include "plugin/vstguivstinterface.h"
#include "vstguieditor/vstguieditor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class EditorHost {
public:
    EditorHost();
    // Closes the window and the plug-in unless a test closed the plug-in.
    ~EditorHost();

    AEffect* effect() const { return m_effect; }
    VSTGuiEditor* editor() const { return static_cast<VSTGuiEditor*>(m_plugin->getEditor()); }
    VSTGUI::CFrame* frame() const { return editor()->getFrame(); }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.f);
    // effEditOpen with a stand-in parent window (this host forgets DISPLAY, so
    // the window stays off-screen); the frame then runs on this host's clock.
    VstIntPtr openEditor();
    void idle() { dispatch(effEditIdle); }
    void advance(std::uint64_t ms) {
        m_nowMs += ms;
        idle();
    }
    // effClose with the window still open: the plug-in goes with its editor.
    void closePlugin();

    // The plug-in's requests but idle and time since the last take, oldest
    // first, as "begin 12345", "automate 0 0.85", "update", "end 12345".
    std::vector<std::string> takeCalls();

private:
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);

    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::uint64_t m_nowMs = 1000;
    VSTGuiVSTInterface* m_plugin = nullptr;
    AEffect* m_effect = nullptr;
};

// The name of the embedded picture a view shows, or "" without one.
std::string pictureOf(const VSTGUI::CView* view);

// Runs f and returns what the instrument printed meanwhile.
template <typename F> std::string printedBy(F&& f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// A host with the editor's window open.
class EditorTest : public testing::Test {
protected:
    void SetUp() override {
        makeHost();
        open();
    }
    void makeHost() {
        printedBy([this] { host = std::make_unique<EditorHost>(); });
    }
    void open() {
        EXPECT_EQ(printedBy([this] { ASSERT_EQ(host->openEditor(), 1); }), "1\n2\n3\n");
        ASSERT_NE(host->frame(), nullptr);
    }
    VSTGuiEditor* editor() { return host->editor(); }
    VSTGUI::CFrame* frame() { return host->frame(); }
    VstIntPtr currentProgram() { return host->dispatch(effGetProgram); }
    // The knob's value and the text shown under it.
    using Knob = std::pair<float, std::string>;
    Knob knob();
    void setProgram(VstIntPtr program) {
        printedBy([&] { host->dispatch(effSetProgram, 0, program); });
    }
    std::string clickAt(double x, double y) {
        return printedBy([&] { guitest::click(frame(), x, y); });
    }

    std::unique_ptr<EditorHost> host;
};

// The same host before its editor's window first opens.
struct EditorBeforeOpen : EditorTest {
    void SetUp() override { makeHost(); }
};
