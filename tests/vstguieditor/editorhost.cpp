#include "editorhost.h"

#include <cstdio>
#include <cstdlib>

using namespace VSTGUI;

namespace {
EditorHost* g_host = nullptr;
} // namespace

EditorHost::EditorHost() {
    g_host = this;
    auto* engine = new SamplerEngine();
    m_plugin = new VSTGuiVSTInterface(&EditorHost::hostCallback, *engine, 61547);
    m_plugin->ownEngine([](SynthEngine* e) { delete static_cast<SamplerEngine*>(e); });
    m_effect = m_plugin->getAeffect();
}

EditorHost::~EditorHost() {
    if (m_effect) {
        dispatch(effEditClose);
        closePlugin();
    }
    g_host = nullptr;
}

VstIntPtr EditorHost::hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                   float opt) {
    const std::string i = std::to_string(index);
    std::string call = opcode == audioMasterBeginEdit       ? "begin " + i
                       : opcode == audioMasterEndEdit       ? "end " + i
                       : opcode == audioMasterUpdateDisplay ? "update"
                                                            : "opcode " + std::to_string(opcode);
    if (opcode == audioMasterAutomate) {
        char value[16];
        std::snprintf(value, sizeof value, " %.2f", opt);
        call = "automate " + i + value;
    } else if (opcode == audioMasterVersion) {
        return kVstVersion;
    } else if (opcode == audioMasterIdle || opcode == audioMasterGetTime || !g_host) {
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(g_host->m_mutex);
        g_host->m_calls.push_back(call);
    }
    if (opcode == audioMasterUpdateDisplay && g_host->onUpdate) {
        g_host->onUpdate();
    }
    return 0;
}

VstIntPtr EditorHost::openEditor(void* parent) {
    if (!parent) {
        // Hosts hand their window's X11 id; without a display none is looked up.
        unsetenv("DISPLAY");
        parent = reinterpret_cast<void*>(0x2a);
    }
    const VstIntPtr result = dispatch(effEditOpen, 0, 0, parent);
    if (CFrame* f = frame()) {
        f->setTimeSource([this] { return m_nowMs; });
    }
    return result;
}

Calls EditorHost::takeCalls() {
    Calls calls;
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.swap(m_calls);
    return calls;
}

std::string pictureOf(const CView* view) {
    const CBitmap* bitmap = view ? view->getBackground() : nullptr;
    if (!bitmap || bitmap->getResourceDescription().type != CResourceDescription::kStringType) {
        return std::string();
    }
    return bitmap->getResourceDescription().u.name;
}
