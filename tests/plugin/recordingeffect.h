// Plug-in objects for tests: every operation a dispatcher can reach records
// its call (name and the arguments that matter) and answers `next`.
#pragma once

#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

class CallLog {
public:
    template <class... Args> void add(const char* name, const Args&... args) {
        std::ostringstream text;
        text << name << '(';
        int n = 0;
        ((text << (n++ ? "," : "") << args), ...);
        text << ')';
        calls.push_back(text.str());
    }
    std::string joined() const {
        std::string result;
        for (const std::string& call : calls) {
            result += (result.empty() ? "" : " ") + call;
        }
        return result;
    }
    std::vector<std::string> calls;
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

    void open() override { log.add("open"); }
    void close() override { log.add("close"); }
    void suspend() override { log.add("suspend"); }
    void resume() override {
        log.add("resume");
        Base::resume();
    }
    void setSampleRate(float rate) override {
        log.add("setSampleRate", rate);
        Base::setSampleRate(rate);
    }
    void setBlockSize(VstInt32 size) override {
        log.add("setBlockSize", size);
        Base::setBlockSize(size);
    }
    void processReplacing(float**, float**, VstInt32 n) override { log.add("processReplacing", n); }
    void setParameter(VstInt32 i, float value) override { log.add("setParameter", i, value); }
    void setProgram(VstInt32 program) override {
        log.add("setProgram", program);
        Base::setProgram(program);
    }
    void setProgramName(char* name) override { log.add("setProgramName", name); }
    void getProgramName(char*) override { log.add("getProgramName"); }
    void getParameterLabel(VstInt32 i, char*) override { log.add("getParameterLabel", i); }
    void getParameterDisplay(VstInt32 i, char*) override { log.add("getParameterDisplay", i); }
    void getParameterName(VstInt32 i, char*) override { log.add("getParameterName", i); }
    VstInt32 getChunk(void**, bool isPreset) override { return number("getChunk", isPreset); }
    VstInt32 setChunk(void*, VstInt32 size, bool isPreset) override {
        return number("setChunk", size, isPreset);
    }
};

using RecordingEffect = RecordingBase<AudioEffect>;

// Adds the AudioEffectX operations the extended dispatcher reaches, and the
// deprecated ones no opcode may reach.
class RecordingEffectX : public RecordingBase<AudioEffectX> {
public:
    RecordingEffectX(audioMasterCallback host, VstInt32 programs, VstInt32 params)
        : RecordingBase<AudioEffectX>(host, programs, params) {}

    VstInt32 processEvents(VstEvents* e) override { return number("processEvents", e->numEvents); }
    bool canParameterBeAutomated(VstInt32 i) override { return flag("canParameterBeAutomated", i); }
    bool string2parameter(VstInt32 i, char* text) override {
        return flag("string2parameter", i, text);
    }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 i, char*) override {
        return flag("getProgramNameIndexed", category, i);
    }
    bool getInputProperties(VstInt32 i, VstPinProperties*) override {
        return flag("getInputProperties", i);
    }
    bool getOutputProperties(VstInt32 i, VstPinProperties*) override {
        return flag("getOutputProperties", i);
    }
    VstPlugCategory getPlugCategory() override {
        return static_cast<VstPlugCategory>(number("getPlugCategory"));
    }
    bool offlineNotify(VstAudioFile*, VstInt32 count, bool start) override {
        return flag("offlineNotify", count, start);
    }
    bool offlinePrepare(VstOfflineTask*, VstInt32 n) override { return flag("offlinePrepare", n); }
    bool offlineRun(VstOfflineTask*, VstInt32 count) override { return flag("offlineRun", count); }
    bool processVariableIo(VstVariableIo*) override { return flag("processVariableIo"); }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        return flag("setSpeakerArrangement", in ? in->numChannels : -1,
                    out ? out->numChannels : -1);
    }
    bool setBypass(bool on) override { return flag("setBypass", on); }
    bool getEffectName(char*) override { return flag("getEffectName"); }
    bool getVendorString(char*) override { return flag("getVendorString"); }
    bool getProductString(char*) override { return flag("getProductString"); }
    VstInt32 getVendorVersion() override { return number("getVendorVersion"); }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void*, float f) override {
        log.add("vendorSpecific", a, b, f);
        return next;
    }
    VstInt32 canDo(char* text) override { return number("canDo", text); }
    VstInt32 getGetTailSize() override { return number("getGetTailSize"); }
    bool getParameterProperties(VstInt32 i, VstParameterProperties*) override {
        return flag("getParameterProperties", i);
    }
    VstInt32 getVstVersion() override { return number("getVstVersion"); }
    VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName*) override {
        return number("getMidiProgramName", channel);
    }
    VstInt32 getCurrentMidiProgram(VstInt32 channel, MidiProgramName*) override {
        return number("getCurrentMidiProgram", channel);
    }
    VstInt32 getMidiProgramCategory(VstInt32 channel, MidiProgramCategory*) override {
        return number("getMidiProgramCategory", channel);
    }
    bool hasMidiProgramsChanged(VstInt32 channel) override {
        return flag("hasMidiProgramsChanged", channel);
    }
    bool getMidiKeyName(VstInt32 channel, MidiKeyName*) override {
        return flag("getMidiKeyName", channel);
    }
    bool beginSetProgram() override { return flag("beginSetProgram"); }
    bool endSetProgram() override { return flag("endSetProgram"); }
    bool getSpeakerArrangement(VstSpeakerArrangement**, VstSpeakerArrangement**) override {
        return flag("getSpeakerArrangement");
    }
    VstInt32 getNextShellPlugin(char*) override { return number("getNextShellPlugin"); }
    VstInt32 startProcess() override { return number("startProcess"); }
    VstInt32 stopProcess() override { return number("stopProcess"); }
    VstInt32 setTotalSampleToProcess(VstInt32 value) override {
        return number("setTotalSampleToProcess", value);
    }
    bool setPanLaw(VstInt32 type, float val) override { return flag("setPanLaw", type, val); }
    VstInt32 beginLoadBank(VstPatchChunkInfo*) override { return number("beginLoadBank"); }
    VstInt32 beginLoadProgram(VstPatchChunkInfo*) override { return number("beginLoadProgram"); }
    bool setProcessPrecision(VstInt32 p) override { return flag("setProcessPrecision", p); }
    VstInt32 getNumMidiInputChannels() override { return number("getNumMidiInputChannels"); }
    VstInt32 getNumMidiOutputChannels() override { return number("getNumMidiOutputChannels"); }

    // Deprecated: no opcode may reach these.
    VstInt32 getNumCategories() override { return number("getNumCategories"); }
    bool copyProgram(VstInt32 destination) override { return flag("copyProgram", destination); }
    void inputConnected(VstInt32 index, bool) override { log.add("inputConnected", index); }
    void outputConnected(VstInt32 index, bool) override { log.add("outputConnected", index); }
    VstInt32 reportCurrentPosition() override { return number("reportCurrentPosition"); }
    float* reportDestinationBuffer() override {
        log.add("reportDestinationBuffer");
        return nullptr;
    }
    void setBlockSizeAndSampleRate(VstInt32 size, float rate) override {
        log.add("setBlockSizeAndSampleRate", size, rate);
    }
    bool getErrorText(char*) override { return flag("getErrorText"); }
    void* getIcon() override {
        log.add("getIcon");
        return nullptr;
    }
    bool setViewPosition(VstInt32 x, VstInt32 y) override { return flag("setViewPosition", x, y); }
    VstInt32 fxIdle() override { return number("fxIdle"); }
    bool keysRequired() override { return flag("keysRequired"); }
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
        m_log.add("editor.getRect");
        *r = &rect;
        return next;
    }
    bool open(void* window) override { return said("editor.open", window != nullptr); }
    void close() override { m_log.add("editor.close"); }
    void idle() override { m_log.add("editor.idle"); }
    bool onKeyDown(VstKeyCode& k) override {
        return said("editor.onKeyDown", k.character, int(k.virt), int(k.modifier));
    }
    bool onKeyUp(VstKeyCode& k) override {
        return said("editor.onKeyUp", k.character, int(k.virt), int(k.modifier));
    }
    bool setKnobMode(VstInt32 mode) override { return said("editor.setKnobMode", mode); }

private:
    template <class... Args> bool said(const char* name, const Args&... args) {
        m_log.add(name, args...);
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
