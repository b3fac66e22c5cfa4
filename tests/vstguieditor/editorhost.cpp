#include "editorhost.h"

#include "gui/canimknob.h"
#include "gui/cdatabrowser.h"
#include "gui/ctextlabel.h"

#include <algorithm>
#include <cstdlib>

using namespace VSTGUI;

namespace {
EditorHost* g_host = nullptr;

// Hosts hand their window's X11 id; without a display no window is looked up.
void* const kStandInParentWindow = reinterpret_cast<void*>(std::uintptr_t{0x2a});
} // namespace

EditorHost::EditorHost() {
    // Off-screen only, also when the test runs on a display.
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
    m_plugin = nullptr;
}

VstIntPtr EditorHost::hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                   float opt) {
    if (opcode == audioMasterVersion) {
        return kVstVersion;
    }
    if (g_host && opcode != audioMasterIdle) {
        std::lock_guard<std::mutex> lock(g_host->m_mutex);
        g_host->m_calls.push_back({opcode, index, opt});
    }
    return 0;
}

VstIntPtr EditorHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

VstIntPtr EditorHost::openEditor() {
    const VstIntPtr result = dispatch(effEditOpen, 0, 0, kStandInParentWindow);
    if (CFrame* f = frame()) {
        f->setTimeSource([this] { return m_nowMs; });
    }
    return result;
}

void EditorHost::advance(std::uint64_t ms) {
    m_nowMs += ms;
    idle();
}

std::vector<HostCall> EditorHost::calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<VstInt32> EditorHost::callOpcodes() const {
    std::vector<VstInt32> opcodes;
    for (const HostCall& call : calls()) {
        opcodes.push_back(call.opcode);
    }
    return opcodes;
}

int EditorHost::countCalls(VstInt32 opcode) const {
    const auto all = callOpcodes();
    return static_cast<int>(std::count(all.begin(), all.end(), opcode));
}

void EditorHost::clearCalls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

std::string pictureOf(const CView* view) {
    const CBitmap* bitmap = view ? view->getBackground() : nullptr;
    if (!bitmap || bitmap->getResourceDescription().type != CResourceDescription::kStringType) {
        return std::string();
    }
    return bitmap->getResourceDescription().u.name;
}

std::string EditorTest::clickRow(int32 row) {
    CDataBrowser* list = editor()->getProgramBrowser();
    list->makeRowVisible(row);
    const CRect cell = list->getRowRect(row);
    const CRect& at = list->getViewSize();
    return clickAt(at.left + cell.left + 10, at.top + (cell.top + cell.bottom) / 2);
}

EditorTest::Knob EditorTest::knob() {
    return {editor()->getKnobs().at(0)->getValue(), editor()->getParamDisplays().at(0)->getText()};
}
