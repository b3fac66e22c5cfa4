#include "plugin/vstinterface.h"

#include "engine/synthengine.h"
#include "plugin/aeffeditor.h"
#include "plugin/vsttext.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

VstInterface::VstInterface(audioMasterCallback audioMaster, SynthEngine& engine, VstInt32 uniqueId)
    : AudioEffectX(audioMaster, static_cast<VstInt32>(engine.m_programs.size()),
                   engine.m_programs.empty()
                       ? 0
                       : static_cast<VstInt32>(engine.m_programs[0].getParameters().size())),
      m_pSynthEngine(&engine) {
    VstInterface::setProgram(0);
    if (audioMaster) {
        setNumInputs(engine.m_numInputs);
        setNumOutputs(engine.m_numOutputs);
        canProcessReplacing(true);
        programsAreChunks(false);
        isSynth(true);
        setUniqueID(uniqueId);
    }
}

VstInterface::~VstInterface() {
    if (m_engineDeleter) {
        // The editor reads the engine; it goes first.
        delete editor;
        setEditor(nullptr);
        m_engineDeleter(m_pSynthEngine);
    }
}

void VstInterface::ownEngine(void (*deleter)(SynthEngine*)) {
    m_engineDeleter = deleter;
}

VstInt32 VstInterface::programCount() const {
    return static_cast<VstInt32>(m_pSynthEngine->m_programs.size());
}

VstInt32 VstInterface::parameterCount() const {
    const auto& programs = m_pSynthEngine->m_programs;
    return programs.empty() ? 0 : static_cast<VstInt32>(programs[0].getParameters().size());
}

SynthParameter* VstInterface::currentParameter(VstInt32 index) const {
    SynthProgram* program = m_pSynthEngine->getCurrentProgram();
    if (index < 0 || index >= parameterCount() || !program) {
        return nullptr;
    }
    const auto& parameters = program->getParameters();
    if (static_cast<std::size_t>(index) >= parameters.size()) {
        return nullptr;
    }
    return parameters[static_cast<std::size_t>(index)];
}

void VstInterface::setSampleRate(float sampleRate) {
    this->sampleRate = sampleRate;
    m_pSynthEngine->setSampleRate(sampleRate);
}

void VstInterface::setBlockSize(VstInt32 blockSize) {
    this->blockSize = blockSize;
}

void VstInterface::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0 || !outputs) {
        return;
    }
    for (VstInt32 channel = 0; channel < m_pSynthEngine->m_numOutputs; ++channel) {
        if (!outputs[channel]) {
            return;
        }
    }
    const VstTimeInfo* time = getTimeInfo(kVstTempoValid);
    if (time && (time->flags & kVstTempoValid)) {
        m_pSynthEngine->setTempo(static_cast<float>(time->tempo));
    }
    m_pSynthEngine->process(inputs, outputs, sampleFrames);
}

VstInt32 VstInterface::processEvents(VstEvents* events) {
    if (!events || events->numEvents <= 0) {
        return 1;
    }
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = list[i];
        if (!event || event->type != kVstMidiType) {
            continue;
        }
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        const auto byte = [midi](int n) { return static_cast<std::uint8_t>(midi->midiData[n]); };
        m_pSynthEngine->handleMidi(static_cast<std::uint8_t>(byte(0) & 0xF0),
                                   static_cast<std::uint8_t>(byte(1) & 0x7F),
                                   static_cast<std::uint8_t>(byte(2) & 0x7F), midi->deltaFrames);
    }
    return 1;
}

void VstInterface::setParameter(VstInt32 index, float value) {
    SynthParameter* parameter = currentParameter(index);
    // A NaN would pass every range test and stay in the parameter for good.
    if (!parameter || std::isnan(value)) {
        return;
    }
    parameter->setValue(parameter->m_fromNormalized(parameter->m_min, parameter->m_max, value));
}

float VstInterface::getParameter(VstInt32 index) {
    const SynthParameter* parameter = currentParameter(index);
    if (!parameter) {
        return 0.0f;
    }
    return parameter->m_toNormalized(parameter->m_min, parameter->m_max, parameter->getValue());
}

void VstInterface::setProgram(VstInt32 program) {
    if (program < 0 || program >= programCount()) {
        return;
    }
    std::lock_guard<std::mutex> change(m_programChangeMutex);
    m_pSynthEngine->setProgram(program);
    curProgram.store(program, std::memory_order_relaxed);
}

void VstInterface::setProgramName(char* name) {
    if (!name) {
        return;
    }
    m_pSynthEngine->renameCurrentProgram(std::string(name, strnlen(name, kVstMaxProgNameLen)));
}

void VstInterface::getProgramName(char* name) {
    if (m_pSynthEngine->getCurrentProgram()) {
        vstBoundedCopy(name, m_pSynthEngine->currentProgramName().c_str(), kVstMaxProgNameLen);
    }
}

void VstInterface::getParameterLabel(VstInt32 index, char* label) {
    if (const SynthParameter* parameter = currentParameter(index)) {
        vstBoundedCopy(label, parameter->m_unit.c_str(), kVstMaxParamStrLen);
    }
}

void VstInterface::getParameterDisplay(VstInt32 index, char* text) {
    if (const SynthParameter* parameter = currentParameter(index)) {
        vstBoundedCopy(text, parameter->getDisplay().c_str(), kVstMaxParamStrLen);
    }
}

void VstInterface::getParameterName(VstInt32 index, char* text) {
    if (const SynthParameter* parameter = currentParameter(index)) {
        vstBoundedCopy(text, parameter->m_name.c_str(), kVstMaxParamStrLen);
    }
}

bool VstInterface::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (index < 0 || index >= programCount()) {
        return false;
    }
    vstBoundedCopy(text, m_pSynthEngine->programName(index).c_str(), kVstMaxProgNameLen);
    return true;
}

bool VstInterface::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    // A negative index names no output either; describing it as "Vstx 0" or
    // worse would report a pin that does not exist.
    if (index < 0 || index >= m_pSynthEngine->m_numOutputs || !properties) {
        return false;
    }
    constexpr VstInt32 kLabelMax = 63;
    vstBoundedCopy(properties->label, "Vstx ", kLabelMax);
    properties->label[kLabelMax] = '\0';
    char number[11] = {};
    int2string(index + 1, number, 10);
    vstBoundedAppend(properties->label, number, kLabelMax);
    properties->label[kLabelMax] = '\0';
    properties->flags = kVstPinIsActive;
    if (index < 2) {
        properties->flags |= kVstPinIsStereo;
    }
    return true;
}

VstInt32 VstInterface::getNumMidiInputChannels() {
    return 1;
}
VstInt32 VstInterface::getNumMidiOutputChannels() {
    return 0;
}

bool VstInterface::getEffectName(char* name) {
    vstBoundedCopy(name, m_pSynthEngine->m_effectName, kVstMaxEffectNameLen);
    return true;
}

bool VstInterface::getVendorString(char* text) {
    vstBoundedCopy(text, m_pSynthEngine->m_vendorName, kVstMaxVendorStrLen);
    return true;
}

bool VstInterface::getProductString(char* text) {
    vstBoundedCopy(text, m_pSynthEngine->m_productName, kVstMaxProductStrLen);
    return true;
}

VstInt32 VstInterface::getVendorVersion() {
    return m_pSynthEngine->m_vendorVersion;
}

VstInt32 VstInterface::canDo(char* text) {
    if (text && (std::strcmp(text, "receiveVstEvents") == 0 ||
                 std::strcmp(text, "receiveVstMidiEvent") == 0)) {
        return 1;
    }
    return -1;
}

bool VstInterface::copyProgram() {
    std::fputs("STUB: VstInterface::copyProgram\n", stdout);
    return false;
}
