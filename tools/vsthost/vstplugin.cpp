#include "vstplugin.h"

#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace {

using PluginEntry = AEffect* (*)(audioMasterCallback);

bool equals(const void* text, const char* expected) {
    return text && std::strcmp(static_cast<const char*>(text), expected) == 0;
}

} // namespace

HostState& hostState() {
    static HostState state;
    return state;
}

void setHostTime(double samplePos) {
    HostState& host = hostState();
    VstTimeInfo& t = host.timeInfo;
    t = VstTimeInfo{};
    t.samplePos = samplePos;
    t.sampleRate = host.sampleRate;
    t.tempo = host.tempo;
    t.ppqPos = samplePos / host.sampleRate * host.tempo / 60.0;
    const double beatsPerBar = 4.0;
    t.barStartPos =
        beatsPerBar * static_cast<double>(static_cast<long long>(t.ppqPos / beatsPerBar));
    t.timeSigNumerator = 4;
    t.timeSigDenominator = 4;
    t.flags =
        kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid;
}

VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt) {
    HostState& host = hostState();
    switch (opcode) {
    case audioMasterVersion:
        return host.versionAnswer;
    case audioMasterAutomate:
        ++host.automateCount;
        host.lastAutomateIndex = index;
        host.lastAutomateValue = opt;
        return 0;
    case audioMasterCurrentId:
        return 0;
    case audioMasterIdle:
        ++host.idleCount;
        return 0;
    case audioMasterWantMidi:
        ++host.wantMidiCount;
        return 1;
    case audioMasterGetTime:
        ++host.timeRequestCount;
        host.lastTimeFilter = value;
        return reinterpret_cast<VstIntPtr>(&host.timeInfo);
    case audioMasterGetSampleRate:
        return static_cast<VstIntPtr>(host.sampleRate);
    case audioMasterGetBlockSize:
        return host.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return 4; // offline rendering
    case audioMasterGetVendorString:
        if (ptr) {
            std::strcpy(static_cast<char*>(ptr), "Amber Threshold");
        }
        return 1;
    case audioMasterGetProductString:
        if (ptr) {
            std::strcpy(static_cast<char*>(ptr), "vsthost");
        }
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo:
        return (equals(ptr, "sendVstEvents") || equals(ptr, "sendVstMidiEvent") ||
                equals(ptr, "sendVstTimeInfo"))
                   ? 1
                   : 0;
    case audioMasterBeginEdit:
        ++host.beginEditCount;
        return 1;
    case audioMasterEndEdit:
        ++host.endEditCount;
        return 1;
    case audioMasterUpdateDisplay:
        ++host.updateDisplayCount;
        return 1;
    case audioMasterSizeWindow:
    case audioMasterIOChanged:
        return 0;
    default:
        return 0;
    }
}

VstPlugin::VstPlugin(const std::string& path) {
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_library) {
        const char* why = dlerror();
        m_error = "cannot open " + path + ": " + (why ? why : "unknown error");
        return;
    }
    void* entry = dlsym(m_library, "VSTPluginMain");
    m_entryName = "VSTPluginMain";
    if (!entry) {
        entry = dlsym(m_library, "main");
        m_entryName = "main";
    }
    if (!entry) {
        m_error = path + " exports neither VSTPluginMain nor main";
        return;
    }
    PluginEntry pluginMain = nullptr;
    static_assert(sizeof(pluginMain) == sizeof(entry));
    std::memcpy(&pluginMain, &entry, sizeof entry);
    AEffect* effect = pluginMain(hostCallback);
    if (!effect) {
        m_error = path + ": the plug-in returned no instance";
        return;
    }
    if (effect->magic != kEffectMagic) {
        m_error = path + ": the instance record has the wrong magic number";
        return;
    }
    m_effect = effect;
    dispatch(effOpen);
}

VstPlugin::~VstPlugin() {
    close();
    if (m_library) {
        dlclose(m_library);
    }
}

VstIntPtr VstPlugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) const {
    return m_effect ? m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt) : 0;
}

std::string VstPlugin::text(VstInt32 opcode, VstInt32 index, VstIntPtr value) const {
    std::vector<char> buffer(1024, '\0');
    dispatch(opcode, index, value, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}

void VstPlugin::start(double sampleRate, VstInt32 blockSize) {
    HostState& host = hostState();
    host.sampleRate = sampleRate;
    host.blockSize = blockSize;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    m_running = true;
}

VstIntPtr VstPlugin::close() {
    if (!m_effect) {
        return 0;
    }
    stop();
    AEffect* effect = m_effect;
    m_effect = nullptr;
    return effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

void VstPlugin::stop() {
    if (m_running) {
        dispatch(effStopProcess);
        dispatch(effMainsChanged, 0, 0);
        m_running = false;
    }
}
