#pragma once

// A host for the editor tests: builds the instrument's plug-in object with
// its editor, drives it through its AEffect record as a host does, records
// every request the plug-in sends back, and works the editor's window
// off-screen with synthetic mouse events and a hand-stepped clock.

#include "engine/samplerengine.h"
#include "gui/cframe.h"
#include "platform/vstrecords.h"
#include "plugin/vstguivstinterface.h"
#include "vstguieditor/vstguieditor.h"

#include <cstdint>
#include <mutex>
#include <vector>

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    float opt;
};

class EditorHost {
public:
    static constexpr VstInt32 kUniqueId = 61547;

    EditorHost();
    ~EditorHost();
    EditorHost(const EditorHost&) = delete;
    EditorHost& operator=(const EditorHost&) = delete;

    AEffect* effect() const { return m_effect; }
    VSTGuiVSTInterface* plugin() const { return m_plugin; }
    VSTGuiEditor* editor() const { return static_cast<VSTGuiEditor*>(m_plugin->getEditor()); }
    VSTGUI::CFrame* frame() const { return editor()->getFrame(); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.f);
    // effEditOpen with a stand-in parent window: this host has no display
    // (it forgets DISPLAY), so the window stays off-screen; the frame then
    // runs on this host's clock.
    VstIntPtr openEditor();
    void idle() { dispatch(effEditIdle); }
    // effClose as a host that never closed the window sends it: destroys the
    // plug-in object with its editor and engine.
    void closePlugin();
    // Moves the clock on and idles once.
    void advance(std::uint64_t ms);

    // A left-button press and release at (x, y) in window coordinates; the
    // release may happen elsewhere.
    void click(double x, double y);
    void press(double x, double y, VSTGUI::int32 buttons = VSTGUI::kLButton);
    void moveTo(double x, double y, VSTGUI::int32 buttons = VSTGUI::kLButton);
    void release(double x, double y, VSTGUI::int32 buttons = VSTGUI::kLButton);
    // Clicks the middle of a row of the program list, scrolling it into view.
    void clickListRow(VSTGUI::int32 row);

    // The requests the plug-in made, oldest first; clearCalls forgets them.
    std::vector<HostCall> calls() const;
    std::vector<VstInt32> callOpcodes() const;
    int countCalls(VstInt32 opcode) const;
    void clearCalls();

    // The host callback handed to the plug-in.
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);

private:
    mutable std::mutex m_mutex;
    std::vector<HostCall> m_calls;
    std::uint64_t m_nowMs = 1000;
    VSTGuiVSTInterface* m_plugin = nullptr;
    AEffect* m_effect = nullptr;
};

// The name of the embedded picture a view shows, or "" without one.
std::string pictureOf(const VSTGUI::CView* view);
