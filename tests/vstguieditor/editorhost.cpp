#include "editorhost.h"

#include "gui/canimknob.h"
#include "gui/ctextlabel.h"

#include <cstdio>
#include <cstdlib>

using namespace VSTGUI;

namespace {
EditorHost* g_host = nullptr;
} // namespace

EditorHost::EditorHost() {
    unsetenv("DISPLAY");
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

void EditorHost::closePlugin() {
    dispatch(effClose);
    m_effect = nullptr;
}

VstIntPtr EditorHost::hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                   float opt) {
    if (opcode == audioMasterVersion) {
        return kVstVersion;
    }
    char call[64];
    switch (opcode) {
    case audioMasterBeginEdit:
        std::snprintf(call, sizeof call, "begin %d", index);
        break;
    case audioMasterEndEdit:
        std::snprintf(call, sizeof call, "end %d", index);
        break;
    case audioMasterAutomate:
        std::snprintf(call, sizeof call, "automate %d %.2f", index, opt);
        break;
    case audioMasterUpdateDisplay:
        std::snprintf(call, sizeof call, "update");
        break;
    case audioMasterIdle:
    case audioMasterGetTime:
        return 0;
    default:
        std::snprintf(call, sizeof call, "opcode %d", opcode);
    }
    if (g_host) {
        std::lock_guard<std::mutex> lock(g_host->m_mutex);
        g_host->m_calls.push_back(call);
    }
    return 0;
}

VstIntPtr EditorHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

VstIntPtr EditorHost::openEditor() {
    // Hosts hand their window's X11 id; without a display none is looked up.
    const VstIntPtr result = dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x2a));
    if (CFrame* f = frame()) {
        f->setTimeSource([this] { return m_nowMs; });
    }
    return result;
}

std::vector<std::string> EditorHost::takeCalls() {
    std::vector<std::string> calls;
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

EditorTest::Knob EditorTest::knob() {
    return {editor()->getKnobs().at(0)->getValue(), editor()->getParamDisplays().at(0)->getText()};
}
