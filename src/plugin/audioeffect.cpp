#include "plugin/audioeffect.h"

#include "plugin/aeffeditor.h"
#include "plugin/vsttext.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

AudioEffect* objectOf(AEffect* e) {
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

// The record's callbacks: each leads from the host's AEffect back to the
// object and into one virtual operation.

VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
    AudioEffect* effect = objectOf(e);
    if (!effect) {
        return 0;
    }
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (AudioEffect* effect = objectOf(e)) {
        effect->process(inputs, outputs, sampleFrames);
    }
}

void processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
    if (AudioEffect* effect = objectOf(e)) {
        effect->processReplacing(inputs, outputs, sampleFrames);
    }
}

void processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                 VstInt32 sampleFrames) {
    if (AudioEffect* effect = objectOf(e)) {
        effect->processDoubleReplacing(inputs, outputs, sampleFrames);
    }
}

void setParameterClass(AEffect* e, VstInt32 index, float value) {
    if (AudioEffect* effect = objectOf(e)) {
        effect->setParameter(index, value);
    }
}

float getParameterClass(AEffect* e, VstInt32 index) {
    AudioEffect* effect = objectOf(e);
    return effect ? effect->getParameter(index) : 0.0f;
}

void clearFirstByte(char* text) {
    if (text) {
        text[0] = '\0';
    }
}

} // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), editor(nullptr), sampleRate(44100.0f), blockSize(1024),
      numPrograms(numPrograms), numParams(numParams), curProgram(0) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kVstNoUniqueId;
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
    // Compared unsigned, so a negative opcode is simply out of range.
    if (static_cast<std::uint32_t>(opcode) > static_cast<std::uint32_t>(effSetChunk)) {
        return 0;
    }
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        // Only an upper bound: a negative program is the plug-in's to refuse.
        // A value beyond 32 bits is refused too, or cutting it could turn a
        // host's garbage into a valid index.
        if (value < numPrograms && value >= INT32_MIN) {
            setProgram(static_cast<VstInt32>(value));
        }
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (text) {
            setProgramName(text);
        }
        return 0;
    case effGetProgramName:
        if (text) {
            getProgramName(text);
        }
        return 0;
    case effGetParamLabel:
        if (text) {
            getParameterLabel(index, text);
        }
        return 0;
    case effGetParamDisplay:
        if (text) {
            getParameterDisplay(index, text);
        }
        return 0;
    case effGetParamName:
        if (text) {
            getParameterName(index, text);
        }
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value) {
            resume();
        } else {
            suspend();
        }
        return 0;
    case effEditGetRect:
        if (editor && ptr) {
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        }
        return 0;
    case effEditOpen:
        // On Linux the editor lives inside the host's window; without one
        // there is nothing to open into.
        if (editor && ptr) {
            return editor->open(ptr) ? 1 : 0;
        }
        return 0;
    case effEditClose:
        if (editor) {
            editor->close();
        }
        return 0;
    case effEditIdle:
        if (editor) {
            editor->idle();
        }
        return 0;
    case effIdentify:
        return kVstIdentifyAnswer;
    case effGetChunk:
        if (ptr) {
            return getChunk(static_cast<void**>(ptr), index != 0);
        }
        return 0;
    case effSetChunk:
        if (ptr) {
            return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
        }
        return 0;
    default: // effGetVu and the deprecated editor opcodes
        return 0;
    }
}

void AudioEffect::open() {}
void AudioEffect::close() {}
void AudioEffect::suspend() {}
void AudioEffect::resume() {}

void AudioEffect::setSampleRate(float sampleRate) {
    this->sampleRate = sampleRate;
}
void AudioEffect::setBlockSize(VstInt32 blockSize) {
    this->blockSize = blockSize;
}

void AudioEffect::processDoubleReplacing(double**, double**, VstInt32) {}

void AudioEffect::setParameter(VstInt32, float) {}
float AudioEffect::getParameter(VstInt32) {
    return 0.0f;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    // setParameter may have run a long way; read the callback afresh.
    if (audioMaster) {
        audioMaster(&cEffect, audioMasterAutomate, index, 0, nullptr, value);
    }
}

VstInt32 AudioEffect::getProgram() {
    return curProgram.load(std::memory_order_relaxed);
}
void AudioEffect::setProgram(VstInt32 program) {
    curProgram.store(program, std::memory_order_relaxed);
}
void AudioEffect::setProgramName(char*) {}
void AudioEffect::getProgramName(char* name) {
    clearFirstByte(name);
}
void AudioEffect::getParameterLabel(VstInt32, char* label) {
    clearFirstByte(label);
}
void AudioEffect::getParameterDisplay(VstInt32, char* text) {
    clearFirstByte(text);
}
void AudioEffect::getParameterName(VstInt32, char* text) {
    clearFirstByte(text);
}

VstInt32 AudioEffect::getChunk(void**, bool) {
    return 0;
}
VstInt32 AudioEffect::setChunk(void*, VstInt32, bool) {
    return 0;
}

void AudioEffect::setUniqueID(VstInt32 iD) {
    cEffect.uniqueID = iD;
}
void AudioEffect::setNumInputs(VstInt32 inputs) {
    cEffect.numInputs = inputs;
}
void AudioEffect::setNumOutputs(VstInt32 outputs) {
    cEffect.numOutputs = outputs;
}
void AudioEffect::canProcessReplacing(bool state) {
    setFlag(effFlagsCanReplacing, state);
}
void AudioEffect::canDoubleReplacing(bool state) {
    setFlag(effFlagsCanDoubleReplacing, state);
}
void AudioEffect::programsAreChunks(bool state) {
    setFlag(effFlagsProgramChunks, state);
}
void AudioEffect::setInitialDelay(VstInt32 delay) {
    cEffect.initialDelay = delay;
}

AEffEditor* AudioEffect::getEditor() {
    return editor;
}
AEffect* AudioEffect::getAeffect() {
    return &cEffect;
}
float AudioEffect::getSampleRate() {
    return sampleRate;
}
VstInt32 AudioEffect::getBlockSize() {
    return blockSize;
}

VstInt32 AudioEffect::getMasterVersion() {
    if (!audioMaster) {
        return 1;
    }
    const VstInt32 version = static_cast<VstInt32>(callHost(audioMasterVersion));
    return version == 0 ? 1 : version;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() {
    callHost(audioMasterIdle);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    if (value <= 0.0f) {
        vstBoundedCopy(text, "-oo", maxLen);
        return;
    }
    float2string(static_cast<float>(20.0 * static_cast<double>(std::log10(value))), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    const float rate = getSampleRate();
    if (samples == 0.0f) {
        float2string(0.0f, text, maxLen);
        return;
    }
    float2string(rate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    float2string(static_cast<float>(static_cast<double>(samples) * 1000.0 /
                                    static_cast<double>(getSampleRate())),
                 text, maxLen);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    // Eight characters in all: sign, integer digits, point and as many
    // fraction digits as fit, each digit truncated rather than rounded.
    constexpr int kWidth = 8;
    double v = value;
    if (std::isnan(v)) {
        vstBoundedCopy(text, "NaN", maxLen);
        return;
    }
    int count = 0;
    const bool negative = v < 0.0;
    if (negative) {
        v = -v;
        count = 1;
    }
    // An integer part with more digits than the eight characters hold would
    // lose its leading digits and show a different number: "Huge!" instead.
    if (std::floor(v) >= (negative ? 1e6 : 1e7)) {
        vstBoundedCopy(text, "Huge!", maxLen);
        return;
    }

    // Digits are produced from the units upwards into the end of a scratch
    // buffer; the integer part is divided by ten without flooring again.
    char digits[kWidth + 2];
    int first = kWidth;
    double integ = std::floor(v);
    digits[--first] = static_cast<char>('0' + static_cast<int>(std::trunc(std::fmod(integ, 10.0))));
    integ /= 10.0;
    count += 2;
    while (integ >= 1.0 && count < kWidth) {
        digits[--first] =
            static_cast<char>('0' + static_cast<int>(std::trunc(std::fmod(integ, 10.0))));
        integ /= 10.0;
        ++count;
    }
    char integerText[kWidth + 3];
    int pos = 0;
    if (negative) {
        integerText[pos++] = '-';
    }
    for (int i = first; i < kWidth; ++i) {
        integerText[pos++] = digits[i];
    }
    integerText[pos++] = '.';
    integerText[pos] = '\0';
    vstBoundedCopy(text, integerText, maxLen);
    if (count >= kWidth) {
        return;
    }

    static constexpr double kPowersOfTen[] = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const int fractionDigits = kWidth - count;
    double mantissa = std::fmod(v, 1.0) * kPowersOfTen[fractionDigits];
    char fraction[kWidth + 1];
    for (int i = fractionDigits - 1; i >= 0; --i) {
        int digit = 0;
        if (mantissa > 0.0) {
            digit = static_cast<int>(std::trunc(std::fmod(mantissa, 10.0)));
            mantissa /= 10.0;
        }
        fraction[i] = static_cast<char>('0' + digit);
    }
    fraction[fractionDigits] = '\0';
    vstBoundedAppend(text, fraction, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    // Widened so that negating the most negative value is defined. Nine
    // digits are all the text can show in either direction.
    VstInt64 v = value;
    if (v >= 100000000 || v <= -1000000000) {
        vstBoundedCopy(text, "Huge!", maxLen);
        return;
    }
    if (v < 0) {
        vstBoundedCopy(text, "-", maxLen);
        v = -v;
    } else {
        vstBoundedCopy(text, "", maxLen);
    }
    bool started = false;
    for (VstInt64 divisor = 100000000; divisor > 0; divisor /= 10) {
        const VstInt64 digit = v / divisor;
        v -= digit * divisor;
        if (started || digit > 0 || divisor == 1) {
            const char character[2] = {static_cast<char>('0' + digit), '\0'};
            vstBoundedAppend(text, character, maxLen);
            started = true;
        }
    }
}

void AudioEffect::process(float**, float**, VstInt32) {}
float AudioEffect::getVu() {
    return 0.0f;
}
void AudioEffect::hasVu(bool state) {
    setFlag(effFlagsHasVu, state);
}
void AudioEffect::hasClip(bool state) {
    setFlag(effFlagsHasClip, state);
}
void AudioEffect::canMono(bool state) {
    setFlag(effFlagsCanMono, state);
}
void AudioEffect::setRealtimeQualities(VstInt32 qualities) {
    cEffect.realQualities = qualities;
}
void AudioEffect::setOfflineQualities(VstInt32 qualities) {
    cEffect.offQualities = qualities;
}

bool AudioEffect::isInputConnected(VstInt32 input) {
    return static_cast<VstInt32>(callHost(audioMasterPinConnected, input, 0)) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
    return static_cast<VstInt32>(callHost(audioMasterPinConnected, output, 1)) == 0;
}

void AudioEffect::setEditor(AEffEditor* editor) {
    this->editor = editor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state) {
        cEffect.flags |= flag;
    } else {
        cEffect.flags &= ~flag;
    }
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}
