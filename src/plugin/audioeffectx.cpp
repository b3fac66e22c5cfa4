#include "plugin/audioeffectx.h"

#include "plugin/aeffeditor.h"
#include "plugin/vsttext.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

VstIntPtr answer(bool result) {
    return result ? 1 : 0;
}

// The key record's modifier: opt truncated to an integer, low eight bits. A
// value no integer can hold (a host's garbage) counts as no modifier.
unsigned char lowByteOfTruncated(float opt) {
    if (!std::isfinite(opt) || std::fabs(opt) >= 2147483648.0f) {
        return 0;
    }
    return static_cast<unsigned char>(static_cast<VstInt32>(opt) & 0xFF);
}

VstKeyCode keyCodeOf(VstInt32 index, VstIntPtr value, float opt) {
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value & 0xFF);
    key.modifier = lowByteOfTruncated(opt);
    return key;
}

// Record i of an arrangement: the records run past the eight declared ones.
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* arrangement, VstInt32 i) {
    VstSpeakerProperties* first = arrangement->speakers;
    return first + i;
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms,
                           VstInt32 numParams)
    : AudioEffect(audioMaster, numPrograms, numParams) {}

AudioEffectX::~AudioEffectX() = default;

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    char* text = static_cast<char*>(ptr);
    const VstInt32 value32 = static_cast<VstInt32>(value);
    switch (opcode) {
    case effProcessEvents:
        return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return answer(canParameterBeAutomated(index));
    case effString2Parameter:
        return text ? answer(string2parameter(index, text)) : 0;
    case effGetProgramNameIndexed:
        return text ? answer(getProgramNameIndexed(value32, index, text)) : 0;
    case effGetInputProperties:
        return ptr ? answer(getInputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetOutputProperties:
        return ptr ? answer(getOutputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effOfflineNotify:
        return ptr ? answer(offlineNotify(static_cast<VstAudioFile*>(ptr), value32, index != 0))
                   : 0;
    case effOfflinePrepare:
        return ptr ? answer(offlinePrepare(static_cast<VstOfflineTask*>(ptr), value32)) : 0;
    case effOfflineRun:
        return ptr ? answer(offlineRun(static_cast<VstOfflineTask*>(ptr), value32)) : 0;
    case effProcessVarIo:
        return ptr ? answer(processVariableIo(static_cast<VstVariableIo*>(ptr))) : 0;
    case effSetSpeakerArrangement:
        return answer(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                            static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
        return answer(setBypass(value != 0));
    case effGetEffectName:
        return text ? answer(getEffectName(text)) : 0;
    case effGetVendorString:
        return text ? answer(getVendorString(text)) : 0;
    case effGetProductString:
        return text ? answer(getProductString(text)) : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return text ? canDo(text) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr ? answer(
                         getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)))
                   : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
        if (editor) {
            VstKeyCode key = keyCodeOf(index, value, opt);
            return answer(editor->onKeyDown(key));
        }
        return 0;
    case effEditKeyUp:
        if (editor) {
            VstKeyCode key = keyCodeOf(index, value, opt);
            return answer(editor->onKeyUp(key));
        }
        return 0;
    case effSetEditKnobMode:
        return editor ? answer(editor->setKnobMode(value32)) : 0;
    case effGetMidiProgramName:
        return ptr ? getMidiProgramName(index, static_cast<MidiProgramName*>(ptr)) : 0;
    case effGetCurrentMidiProgram:
        // Answered even without a record: 0 would name a real MIDI program.
        return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return ptr ? getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr)) : 0;
    case effHasMidiProgramsChanged:
        return answer(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return ptr ? answer(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr))) : 0;
    case effBeginSetProgram:
        return answer(beginSetProgram());
    case effEndSetProgram:
        return answer(endSetProgram());
    case effGetSpeakerArrangement:
        // Each reference the host gives is written, so that none keeps a stale
        // arrangement when the other is missing.
        return answer(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                            static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
        return text ? getNextShellPlugin(text) : 0;
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(value32);
    case effSetPanLaw:
        return answer(setPanLaw(value32, opt));
    case effBeginLoadBank:
        return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effBeginLoadProgram:
        return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effSetProcessPrecision:
        return answer(setProcessPrecision(value32));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        // The basic opcodes, and the deprecated extensions no class handles.
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume() {
    if (!(cEffect.flags & effFlagsIsSynth)) {
        char capability[] = "receiveVstMidiEvent";
        if (canDo(capability) != 1) {
            return;
        }
    }
    wantEvents(1);
}

bool AudioEffectX::canParameterBeAutomated(VstInt32) {
    return true;
}
bool AudioEffectX::string2parameter(VstInt32, char*) {
    return false;
}
bool AudioEffectX::getParameterProperties(VstInt32, VstParameterProperties*) {
    return false;
}
bool AudioEffectX::beginEdit(VstInt32 index) {
    return callHost(audioMasterBeginEdit, index) != 0;
}
bool AudioEffectX::endEdit(VstInt32 index) {
    return callHost(audioMasterEndEdit, index) != 0;
}
bool AudioEffectX::getProgramNameIndexed(VstInt32, VstInt32, char*) {
    return false;
}
bool AudioEffectX::beginSetProgram() {
    return false;
}
bool AudioEffectX::endSetProgram() {
    return false;
}
VstInt32 AudioEffectX::beginLoadBank(VstPatchChunkInfo*) {
    return 0;
}
VstInt32 AudioEffectX::beginLoadProgram(VstPatchChunkInfo*) {
    return 0;
}

bool AudioEffectX::ioChanged() {
    return callHost(audioMasterIOChanged) != 0;
}

double AudioEffectX::updateSampleRate() {
    if (audioMaster) {
        const VstIntPtr rate = callHost(audioMasterGetSampleRate);
        if (rate > 0) {
            sampleRate = static_cast<float>(rate);
        }
    }
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() {
    if (audioMaster) {
        const VstInt32 size = static_cast<VstInt32>(callHost(audioMasterGetBlockSize));
        if (size > 0) {
            blockSize = size;
        }
    }
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() {
    return static_cast<VstInt32>(callHost(audioMasterGetInputLatency));
}

VstInt32 AudioEffectX::getOutputLatency() {
    return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency));
}

bool AudioEffectX::getInputProperties(VstInt32, VstPinProperties*) {
    return false;
}
bool AudioEffectX::getOutputProperties(VstInt32, VstPinProperties*) {
    return false;
}

bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) {
    return false;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput) {
    if (pluginInput) {
        *pluginInput = nullptr;
    }
    if (pluginOutput) {
        *pluginOutput = nullptr;
    }
    return false;
}

bool AudioEffectX::setBypass(bool) {
    return false;
}
bool AudioEffectX::setPanLaw(VstInt32, float) {
    return false;
}
bool AudioEffectX::setProcessPrecision(VstInt32) {
    return false;
}
VstInt32 AudioEffectX::getNumMidiInputChannels() {
    return 0;
}
VstInt32 AudioEffectX::getNumMidiOutputChannels() {
    return 0;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getCurrentProcessLevel() {
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}

VstInt32 AudioEffectX::getAutomationState() {
    return static_cast<VstInt32>(callHost(audioMasterGetAutomationState));
}

VstInt32 AudioEffectX::processEvents(VstEvents*) {
    return 0;
}
VstInt32 AudioEffectX::startProcess() {
    return 0;
}
VstInt32 AudioEffectX::stopProcess() {
    return 0;
}
bool AudioEffectX::processVariableIo(VstVariableIo*) {
    return false;
}
VstInt32 AudioEffectX::setTotalSampleToProcess(VstInt32 value) {
    return value;
}

bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) {
    return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion() {
    return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion));
}

VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                           float floatArg) {
    return callHost(audioMasterVendorSpecific, arg1, arg2, ptrArg, floatArg);
}

VstInt32 AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::getHostLanguage() {
    return static_cast<VstInt32>(callHost(audioMasterGetLanguage));
}

void AudioEffectX::isSynth(bool state) {
    setFlag(effFlagsIsSynth, state);
}
void AudioEffectX::noTail(bool state) {
    setFlag(effFlagsNoSoundInStop, state);
}
VstInt32 AudioEffectX::getGetTailSize() {
    return 0;
}

void* AudioEffectX::getDirectory() {
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}

bool AudioEffectX::getEffectName(char*) {
    return false;
}
bool AudioEffectX::getVendorString(char*) {
    return false;
}
bool AudioEffectX::getProductString(char*) {
    return false;
}
VstInt32 AudioEffectX::getVendorVersion() {
    return 0;
}
VstIntPtr AudioEffectX::vendorSpecific(VstInt32, VstIntPtr, void*, float) {
    return 0;
}
VstInt32 AudioEffectX::canDo(char*) {
    return 0;
}
VstInt32 AudioEffectX::getVstVersion() {
    return kVstVersion;
}

VstPlugCategory AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

VstInt32 AudioEffectX::getMidiProgramName(VstInt32, MidiProgramName*) {
    return 0;
}
VstInt32 AudioEffectX::getCurrentMidiProgram(VstInt32, MidiProgramName*) {
    return -1;
}
VstInt32 AudioEffectX::getMidiProgramCategory(VstInt32, MidiProgramCategory*) {
    return 0;
}
bool AudioEffectX::hasMidiProgramsChanged(VstInt32) {
    return false;
}
bool AudioEffectX::getMidiKeyName(VstInt32, MidiKeyName*) {
    return false;
}

bool AudioEffectX::updateDisplay() {
    return callHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* ptr) {
    return ptr && callHost(audioMasterOpenFileSelector, 0, 0, ptr) != 0;
}

bool AudioEffectX::closeFileSelector(VstFileSelect* ptr) {
    return ptr && callHost(audioMasterCloseFileSelector, 0, 0, ptr) != 0;
}

VstInt32 AudioEffectX::getNextShellPlugin(char*) {
    return 0;
}

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels) {
    if (!arrangement) {
        return false;
    }
    if (*arrangement) {
        std::free(*arrangement);
        // The old block is gone whatever follows; never leave it reachable.
        *arrangement = nullptr;
    }
    if (nbChannels < 0) {
        return false;
    }
    const std::size_t size = offsetof(VstSpeakerArrangement, speakers) +
                             static_cast<std::size_t>(nbChannels) * sizeof(VstSpeakerProperties);
    void* block = std::calloc(1, size);
    if (!block) {
        return false;
    }
    *arrangement = static_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = nbChannels;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
    if (arrangement && *arrangement) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
    if (!to || !from) {
        return false;
    }
    vstBoundedCopy(to->name, from->name, 63);
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
    if (!from) {
        return false;
    }
    if (!deallocateArrangement(to)) {
        return false;
    }
    if (!allocateArrangement(to, from->numChannels)) {
        return false;
    }
    (*to)->type = from->type;
    for (VstInt32 i = 0; i < (*to)->numChannels; ++i) {
        if (!copySpeaker(speakerAt(*to, i), speakerAt(from, i))) {
            return false;
        }
    }
    return true;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}

bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstOfflineOption option) {
    return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}

bool AudioEffectX::offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles,
                                VstInt32 numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, ptr) != 0;
}

VstInt32 AudioEffectX::offlineGetCurrentPass() {
    return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

bool AudioEffectX::offlineNotify(VstAudioFile*, VstInt32, bool) {
    return false;
}
bool AudioEffectX::offlinePrepare(VstOfflineTask*, VstInt32) {
    return false;
}
bool AudioEffectX::offlineRun(VstOfflineTask*, VstInt32) {
    return false;
}
VstInt32 AudioEffectX::offlineGetNumPasses() {
    return 0;
}
VstInt32 AudioEffectX::offlineGetNumMetaPasses() {
    return 0;
}

void AudioEffectX::wantEvents(VstInt32 filter) {
    callHost(audioMasterWantMidi, 0, filter);
}

VstInt32 AudioEffectX::tempoAt(VstInt32 pos) {
    return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, pos));
}

VstInt32 AudioEffectX::getNumAutomatableParameters() {
    return static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters));
}

VstInt32 AudioEffectX::getParameterQuantization() {
    return static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization));
}

VstInt32 AudioEffectX::getNumCategories() {
    return 1;
}
bool AudioEffectX::copyProgram(VstInt32) {
    return false;
}
bool AudioEffectX::needIdle() {
    return callHost(audioMasterNeedIdle) != 0;
}

AEffect* AudioEffectX::getPreviousPlug(VstInt32) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* AudioEffectX::getNextPlug(VstInt32) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}

void AudioEffectX::inputConnected(VstInt32, bool) {}
void AudioEffectX::outputConnected(VstInt32, bool) {}

VstInt32 AudioEffectX::willProcessReplacing() {
    return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate));
}

void AudioEffectX::wantAsyncOperation(bool state) {
    setFlag(effFlagsExtIsAsync, state);
}
void AudioEffectX::hasExternalBuffer(bool state) {
    setFlag(effFlagsExtHasBuffer, state);
}
VstInt32 AudioEffectX::reportCurrentPosition() {
    return 0;
}
float* AudioEffectX::reportDestinationBuffer() {
    return nullptr;
}

void AudioEffectX::setOutputSamplerate(float samplerate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}

VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetInputSpeakerArrangement));
}

VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetOutputSpeakerArrangement));
}

void* AudioEffectX::openWindow(VstWindow* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(VstWindow* window) {
    return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

void AudioEffectX::setBlockSizeAndSampleRate(VstInt32 blockSize, float sampleRate) {
    this->blockSize = blockSize;
    this->sampleRate = sampleRate;
}

bool AudioEffectX::getErrorText(char*) {
    return false;
}
void* AudioEffectX::getIcon() {
    return nullptr;
}
bool AudioEffectX::setViewPosition(VstInt32, VstInt32) {
    return false;
}
VstInt32 AudioEffectX::fxIdle() {
    return 0;
}
bool AudioEffectX::keysRequired() {
    return false;
}

bool AudioEffectX::getChunkFile(void* nativePath) {
    return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}
