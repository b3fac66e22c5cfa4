#pragma once

// A host for the editor tests: the instrument's plug-in with its editor,
// driven through its AEffect record, recording what the plug-in asks of the
// host; the window off-screen (synthetic mouse events) on a hand-stepped clock.

#include "../support/scratch.h"
#include "engine/samplerengine.h"
#include "guitestsupport.h"
#include "plugin/vstguivstinterface.h"
#include "vstguieditor/vstguieditor.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

using Calls = std::vector<std::string>;

class EditorHost {
public:
    EditorHost() {
        s_current = this;
        m_plugin = new VSTGuiVSTInterface(&hostCallback, *new SamplerEngine(), 61547);
        m_plugin->ownEngine([](SynthEngine* e) { delete static_cast<SamplerEngine*>(e); });
        m_effect = m_plugin->getAeffect();
    }
    // Closes the plug-in (with its window) unless a test closed it.
    ~EditorHost() {
        if (m_effect)
            closePlugin();
        s_current = nullptr;
    }

    AEffect* effect() const { return m_effect; }
    VSTGuiEditor* editor() const { return static_cast<VSTGuiEditor*>(m_plugin->getEditor()); }
    VSTGUI::CFrame* frame() const { return editor()->getFrame(); }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr) {
        return m_effect->dispatcher(m_effect, opcode, index, value, ptr, 0.f);
    }
    // effEditOpen in parent; without one, in a stand-in with DISPLAY unset
    // (so none is looked up and the window stays off-screen). The frame then
    // runs on this host's clock.
    VstIntPtr openEditor(void* parent = nullptr) {
        if (!parent && unsetenv("DISPLAY") == 0)
            parent = reinterpret_cast<void*>(0x2a);
        const VstIntPtr result = dispatch(effEditOpen, 0, 0, parent);
        if (m_effect && frame()) // the plug-in may be closed meanwhile
            frame()->setTimeSource([this] { return m_nowMs; });
        return result;
    }
    void idle() { dispatch(effEditIdle); }
    void advance(std::uint64_t ms) {
        m_nowMs += ms;
        idle();
    }
    void closePlugin() {
        dispatch(effClose);
        m_effect = nullptr;
    }
    // By opcode: closes the editor or the plug-in, or opens the editor.
    void act(VstInt32 opcode, void* parent = nullptr) {
        if (opcode == effClose)
            closePlugin();
        else
            opcode == effEditOpen ? openEditor(parent) : dispatch(effEditClose);
    }
    // The plug-in's requests since the last take, oldest first, as
    // "begin 12345", "automate 0 0.85", "update", "end 12345".
    Calls takeCalls() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_calls, {});
    }

    // Runs inside each recorded request of the plug-in, after recording it.
    std::function<void(VstInt32 opcode)> onRequest;

private:
    static inline EditorHost* s_current = nullptr;
    // Resizes its window on request; idle, "can do" and resize requests reach
    // onRequest without being recorded.
    static VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                  float opt) {
        char call[64] = "update";
        if (opcode == audioMasterAutomate)
            std::snprintf(call, sizeof call, "automate %d %.2f", index, opt);
        else if (opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
            std::snprintf(call, sizeof call, "%s %d",
                          opcode == audioMasterEndEdit ? "end" : "begin", index);
        else if (opcode == audioMasterIdle || opcode == audioMasterCanDo ||
                 opcode == audioMasterSizeWindow)
            call[0] = '\0';
        else if (opcode != audioMasterUpdateDisplay)
            return opcode == audioMasterVersion ? kVstVersion : 0;
        std::unique_lock<std::mutex> lock(s_current->m_mutex);
        if (call[0])
            s_current->m_calls.push_back(call);
        lock.unlock();
        if (s_current->onRequest)
            s_current->onRequest(opcode);
        return 1;
    }

    std::mutex m_mutex;
    Calls m_calls;
    std::uint64_t m_nowMs = 1000;
    VSTGuiVSTInterface* m_plugin = nullptr;
    AEffect* m_effect = nullptr;
};

// The name of the embedded picture a view shows, or "" without one.
inline std::string pictureOf(const VSTGUI::CView* view) {
    const VSTGUI::CBitmap* bitmap = view ? view->getBackground() : nullptr;
    return bitmap ? bitmap->getResourceDescription().u.name : "";
}

// A host with the editor's window open.
struct EditorTest : testing::Test {
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
    // The knob's value and the text shown under it.
    using Knob = std::pair<float, std::string>;
    Knob knob() {
        return {editor()->getKnobs().at(0)->getValue(),
                editor()->getParamDisplays().at(0)->getText()};
    }
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
