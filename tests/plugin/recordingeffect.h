// Plug-in objects for tests: every operation a dispatcher can reach records
// its call (its name and the arguments that matter) and answers `next`.
#pragma once

#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

// The calls made, as "name(argument,argument) name()".
class CallLog {
public:
    template <class... Args> void add(const char* name, const Args&... args) {
        std::ostringstream text;
        text << (m_text.empty() ? "" : " ") << name << '(';
        int n = 0;
        ((text << (n++ ? "," : "") << args), ...);
        m_text += text.str() + ')';
    }
    const std::string& joined() const { return m_text; }

private:
    std::string m_text;
};

// A plug-in of either base class with nothing of its own.
template <class Base> class PlainEffect : public Base {
public:
    PlainEffect() : Base(nullptr, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

// The AudioEffect operations the basic dispatcher reaches.
template <class Base> class RecordingBase : public Base {
public:
    RecordingBase(audioMasterCallback host, VstInt32 programs, VstInt32 params)
        : Base(host, programs, params) {}
    ~RecordingBase() override {
        if (destroyed) {
            *destroyed = true;
        }
    }

    CallLog log;
    VstIntPtr next = 0;
    bool* destroyed = nullptr;

    // Record a call and answer `next` as a flag or a number.
    template <class... Args> bool flag(const char* name, const Args&... args) {
        log.add(name, args...);
        return next != 0;
    }
    template <class... Args> VstInt32 number(const char* name, const Args&... args) {
        log.add(name, args...);
        return static_cast<VstInt32>(next);
    }

    void open() override { log.add(__func__); }
    void close() override { log.add(__func__); }
    void suspend() override { log.add(__func__); }
    void resume() override {
        log.add(__func__);
        Base::resume();
    }
    void setSampleRate(float rate) override {
        log.add(__func__, rate);
        Base::setSampleRate(rate);
    }
    void setBlockSize(VstInt32 size) override {
        log.add(__func__, size);
        Base::setBlockSize(size);
    }
    void processReplacing(float**, float**, VstInt32 n) override { log.add(__func__, n); }
    void setParameter(VstInt32 i, float value) override { log.add(__func__, i, value); }
    void setProgram(VstInt32 program) override {
        log.add(__func__, program);
        Base::setProgram(program);
    }
    void setProgramName(char* name) override { log.add(__func__, name); }
    void getProgramName(char*) override { log.add(__func__); }
    void getParameterLabel(VstInt32 i, char*) override { log.add(__func__, i); }
    void getParameterDisplay(VstInt32 i, char*) override { log.add(__func__, i); }
    void getParameterName(VstInt32 i, char*) override { log.add(__func__, i); }
    VstInt32 getChunk(void**, bool isPreset) override { return number(__func__, isPreset); }
    VstInt32 setChunk(void*, VstInt32 size, bool isPreset) override {
        return number(__func__, size, isPreset);
    }
};

using RecordingEffect = RecordingBase<AudioEffect>;

// Adds the AudioEffectX operations the extended dispatcher reaches, and the
// deprecated ones no opcode may reach.
class RecordingEffectX : public RecordingBase<AudioEffectX> {
public:
    RecordingEffectX(audioMasterCallback host, VstInt32 programs, VstInt32 params)
        : RecordingBase<AudioEffectX>(host, programs, params) {}

    VstInt32 processEvents(VstEvents* e) override { return number(__func__, e->numEvents); }
    bool canParameterBeAutomated(VstInt32 i) override { return flag(__func__, i); }
    bool string2parameter(VstInt32 i, char* text) override { return flag(__func__, i, text); }
    bool getProgramNameIndexed(VstInt32 cat, VstInt32 i, char*) override {
        return flag(__func__, cat, i);
    }
    bool getInputProperties(VstInt32 i, VstPinProperties*) override { return flag(__func__, i); }
    bool getOutputProperties(VstInt32 i, VstPinProperties*) override { return flag(__func__, i); }
    VstPlugCategory getPlugCategory() override { return VstPlugCategory(number(__func__)); }
    bool offlineNotify(VstAudioFile*, VstInt32 n, bool start) override {
        return flag(__func__, n, start);
    }
    bool offlinePrepare(VstOfflineTask*, VstInt32 n) override { return flag(__func__, n); }
    bool offlineRun(VstOfflineTask*, VstInt32 count) override { return flag(__func__, count); }
    bool processVariableIo(VstVariableIo*) override { return flag(__func__); }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        return flag(__func__, in ? in->numChannels : -1, out ? out->numChannels : -1);
    }
    bool setBypass(bool on) override { return flag(__func__, on); }
    bool getEffectName(char*) override { return flag(__func__); }
    bool getVendorString(char*) override { return flag(__func__); }
    bool getProductString(char*) override { return flag(__func__); }
    VstInt32 getVendorVersion() override { return number(__func__); }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void*, float f) override {
        log.add(__func__, a, b, f);
        return next;
    }
    VstInt32 canDo(char* text) override { return number(__func__, text); }
    VstInt32 getGetTailSize() override { return number(__func__); }
    bool getParameterProperties(VstInt32 i, VstParameterProperties*) override {
        return flag(__func__, i);
    }
    VstInt32 getVstVersion() override { return number(__func__); }
    VstInt32 getMidiProgramName(VstInt32 c, MidiProgramName*) override {
        return number(__func__, c);
    }
    VstInt32 getCurrentMidiProgram(VstInt32 c, MidiProgramName*) override {
        return number(__func__, c);
    }
    VstInt32 getMidiProgramCategory(VstInt32 c, MidiProgramCategory*) override {
        return number(__func__, c);
    }
    bool hasMidiProgramsChanged(VstInt32 c) override { return flag(__func__, c); }
    bool getMidiKeyName(VstInt32 c, MidiKeyName*) override { return flag(__func__, c); }
    bool beginSetProgram() override { return flag(__func__); }
    bool endSetProgram() override { return flag(__func__); }
    bool getSpeakerArrangement(VstSpeakerArrangement**, VstSpeakerArrangement**) override {
        return flag(__func__);
    }
    VstInt32 getNextShellPlugin(char*) override { return number(__func__); }
    VstInt32 startProcess() override { return number(__func__); }
    VstInt32 stopProcess() override { return number(__func__); }
    VstInt32 setTotalSampleToProcess(VstInt32 value) override { return number(__func__, value); }
    bool setPanLaw(VstInt32 type, float val) override { return flag(__func__, type, val); }
    VstInt32 beginLoadBank(VstPatchChunkInfo*) override { return number(__func__); }
    VstInt32 beginLoadProgram(VstPatchChunkInfo*) override { return number(__func__); }
    bool setProcessPrecision(VstInt32 p) override { return flag(__func__, p); }
    VstInt32 getNumMidiInputChannels() override { return number(__func__); }
    VstInt32 getNumMidiOutputChannels() override { return number(__func__); }

    // Deprecated: no opcode may reach these.
    VstInt32 getNumCategories() override { return number(__func__); }
    bool copyProgram(VstInt32 destination) override { return flag(__func__, destination); }
    void inputConnected(VstInt32 index, bool) override { log.add(__func__, index); }
    void outputConnected(VstInt32 index, bool) override { log.add(__func__, index); }
    VstInt32 reportCurrentPosition() override { return number(__func__); }
    float* reportDestinationBuffer() override {
        log.add(__func__);
        return nullptr;
    }
    void setBlockSizeAndSampleRate(VstInt32 n, float rate) override { log.add(__func__, n, rate); }
    bool getErrorText(char*) override { return flag(__func__); }
    void* getIcon() override {
        log.add(__func__);
        return nullptr;
    }
    bool setViewPosition(VstInt32 x, VstInt32 y) override { return flag(__func__, x, y); }
    VstInt32 fxIdle() override { return number(__func__); }
    bool keysRequired() override { return flag(__func__); }
};

// An editor that records what reaches it and answers `next`.
class RecordingEditor : public AEffEditor {
public:
    RecordingEditor(AudioEffect* effect, CallLog& log, bool* destroyed = nullptr)
        : AEffEditor(effect), m_log(log), m_destroyed(destroyed) {}
    ~RecordingEditor() override {
        if (m_destroyed) {
            *m_destroyed = true;
        }
    }

    bool next = true;
    ERect rect{0, 0, 356, 578};

    bool getRect(ERect** r) override {
        *r = &rect;
        return said(__func__);
    }
    bool open(void* window) override { return said(__func__, window != nullptr); }
    void close() override { said(__func__); }
    void idle() override { said(__func__); }
    bool onKeyDown(VstKeyCode& k) override {
        return said(__func__, k.character, int(k.virt), int(k.modifier));
    }
    bool onKeyUp(VstKeyCode& k) override {
        return said(__func__, k.character, int(k.virt), int(k.modifier));
    }
    bool setKnobMode(VstInt32 mode) override { return said(__func__, mode); }

private:
    template <class... Args> bool said(const char* name, const Args&... args) {
        m_log.add(("editor." + std::string(name)).c_str(), args...);
        return next;
    }
    CallLog& m_log;
    bool* m_destroyed;
};

// One dispatcher call on a fresh recording object: its arguments (the
// pointer argument is a scratch text "text" or null), what the object's
// operations answer, and the dispatcher's answer and calls expected.
struct DispatchCase {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    bool withPtr;
    float opt;
    VstIntPtr next;
    VstIntPtr answer;
    const char* calls;
};

template <class Effect>
void expectDispatches(VstInt32 programs, const std::vector<DispatchCase>& cases) {
    for (const DispatchCase& c : cases) {
        Effect effect(nullptr, programs, 3);
        // Zeroed room for any record a pointer argument names.
        union {
            char text[512];
            VstEvents events;
        } scratch{};
        if (c.opcode != effProcessEvents) {
            std::strcpy(scratch.text, "text");
        }
        effect.next = c.next;
        const VstIntPtr answer =
            effect.dispatcher(c.opcode, c.index, c.value, c.withPtr ? &scratch : nullptr, c.opt);
        EXPECT_EQ(answer, c.answer) << "opcode " << c.opcode;
        EXPECT_EQ(effect.log.joined(), c.calls) << "opcode " << c.opcode;
    }
}
