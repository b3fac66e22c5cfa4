// Plug-in objects for tests: every operation a dispatcher can reach records
// its call (name and the arguments that matter) and answers `next`.
#pragma once

#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

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

    using Base::cEffect;
    using Base::curProgram;
    using Base::editor;

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
    void processReplacing(float**, float**, VstInt32 frames) override {
        log.add("processReplacing", frames);
    }
    void setParameter(VstInt32 index, float value) override {
        log.add("setParameter", index, value);
    }
    void setProgram(VstInt32 program) override {
        log.add("setProgram", program);
        Base::setProgram(program);
    }
    void setProgramName(char* name) override { log.add("setProgramName", name); }
    void getProgramName(char*) override { log.add("getProgramName"); }
    void getParameterLabel(VstInt32 index, char*) override { log.add("getParameterLabel", index); }
    void getParameterDisplay(VstInt32 index, char*) override {
        log.add("getParameterDisplay", index);
    }
    void getParameterName(VstInt32 index, char*) override { log.add("getParameterName", index); }
    VstInt32 getChunk(void**, bool isPreset) override {
        log.add("getChunk", isPreset);
        return static_cast<VstInt32>(next);
    }
    VstInt32 setChunk(void*, VstInt32 size, bool isPreset) override {
        log.add("setChunk", size, isPreset);
        return static_cast<VstInt32>(next);
    }
};

using RecordingEffect = RecordingBase<AudioEffect>;

// Adds the AudioEffectX operations the extended dispatcher reaches, and the
// deprecated ones no opcode may reach.
class RecordingEffectX : public RecordingBase<AudioEffectX> {
public:
    RecordingEffectX(audioMasterCallback host, VstInt32 programs, VstInt32 params)
        : RecordingBase<AudioEffectX>(host, programs, params) {}

    using AudioEffectX::copyProgram;

    bool flag() const { return next != 0; }
    VstInt32 number() const { return static_cast<VstInt32>(next); }

    VstInt32 processEvents(VstEvents* events) override {
        log.add("processEvents", events->numEvents);
        return number();
    }
    bool canParameterBeAutomated(VstInt32 index) override {
        log.add("canParameterBeAutomated", index);
        return flag();
    }
    bool string2parameter(VstInt32 index, char* text) override {
        log.add("string2parameter", index, text);
        return flag();
    }
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char*) override {
        log.add("getProgramNameIndexed", category, index);
        return flag();
    }
    bool getInputProperties(VstInt32 index, VstPinProperties*) override {
        log.add("getInputProperties", index);
        return flag();
    }
    bool getOutputProperties(VstInt32 index, VstPinProperties*) override {
        log.add("getOutputProperties", index);
        return flag();
    }
    VstPlugCategory getPlugCategory() override {
        log.add("getPlugCategory");
        return static_cast<VstPlugCategory>(number());
    }
    bool offlineNotify(VstAudioFile*, VstInt32 count, bool start) override {
        log.add("offlineNotify", count, start);
        return flag();
    }
    bool offlinePrepare(VstOfflineTask*, VstInt32 count) override {
        log.add("offlinePrepare", count);
        return flag();
    }
    bool offlineRun(VstOfflineTask*, VstInt32 count) override {
        log.add("offlineRun", count);
        return flag();
    }
    bool processVariableIo(VstVariableIo*) override {
        log.add("processVariableIo");
        return flag();
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        log.add("setSpeakerArrangement", in ? in->numChannels : -1, out ? out->numChannels : -1);
        return flag();
    }
    bool setBypass(bool on) override {
        log.add("setBypass", on);
        return flag();
    }
    bool getEffectName(char*) override {
        log.add("getEffectName");
        return flag();
    }
    bool getVendorString(char*) override {
        log.add("getVendorString");
        return flag();
    }
    bool getProductString(char*) override {
        log.add("getProductString");
        return flag();
    }
    VstInt32 getVendorVersion() override {
        log.add("getVendorVersion");
        return number();
    }
    VstIntPtr vendorSpecific(VstInt32 a, VstIntPtr b, void*, float f) override {
        log.add("vendorSpecific", a, b, f);
        return next;
    }
    VstInt32 canDo(char* text) override {
        log.add("canDo", text);
        return number();
    }
    VstInt32 getGetTailSize() override {
        log.add("getGetTailSize");
        return number();
    }
    bool getParameterProperties(VstInt32 index, VstParameterProperties*) override {
        log.add("getParameterProperties", index);
        return flag();
    }
    VstInt32 getVstVersion() override {
        log.add("getVstVersion");
        return number();
    }
    VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName*) override {
        log.add("getMidiProgramName", channel);
        return number();
    }
    VstInt32 getCurrentMidiProgram(VstInt32 channel, MidiProgramName*) override {
        log.add("getCurrentMidiProgram", channel);
        return number();
    }
    VstInt32 getMidiProgramCategory(VstInt32 channel, MidiProgramCategory*) override {
        log.add("getMidiProgramCategory", channel);
        return number();
    }
    bool hasMidiProgramsChanged(VstInt32 channel) override {
        log.add("hasMidiProgramsChanged", channel);
        return flag();
    }
    bool getMidiKeyName(VstInt32 channel, MidiKeyName*) override {
        log.add("getMidiKeyName", channel);
        return flag();
    }
    bool beginSetProgram() override {
        log.add("beginSetProgram");
        return flag();
    }
    bool endSetProgram() override {
        log.add("endSetProgram");
        return flag();
    }
    bool getSpeakerArrangement(VstSpeakerArrangement**, VstSpeakerArrangement**) override {
        log.add("getSpeakerArrangement");
        return flag();
    }
    VstInt32 getNextShellPlugin(char*) override {
        log.add("getNextShellPlugin");
        return number();
    }
    VstInt32 startProcess() override {
        log.add("startProcess");
        return number();
    }
    VstInt32 stopProcess() override {
        log.add("stopProcess");
        return number();
    }
    VstInt32 setTotalSampleToProcess(VstInt32 value) override {
        log.add("setTotalSampleToProcess", value);
        return number();
    }
    bool setPanLaw(VstInt32 type, float val) override {
        log.add("setPanLaw", type, val);
        return flag();
    }
    VstInt32 beginLoadBank(VstPatchChunkInfo*) override {
        log.add("beginLoadBank");
        return number();
    }
    VstInt32 beginLoadProgram(VstPatchChunkInfo*) override {
        log.add("beginLoadProgram");
        return number();
    }
    bool setProcessPrecision(VstInt32 precision) override {
        log.add("setProcessPrecision", precision);
        return flag();
    }
    VstInt32 getNumMidiInputChannels() override {
        log.add("getNumMidiInputChannels");
        return number();
    }
    VstInt32 getNumMidiOutputChannels() override {
        log.add("getNumMidiOutputChannels");
        return number();
    }

    // Deprecated: no opcode may reach these.
    VstInt32 getNumCategories() override {
        log.add("getNumCategories");
        return 9;
    }
    bool copyProgram(VstInt32 destination) override {
        log.add("copyProgram", destination);
        return true;
    }
    void inputConnected(VstInt32 index, bool) override { log.add("inputConnected", index); }
    void outputConnected(VstInt32 index, bool) override { log.add("outputConnected", index); }
    VstInt32 reportCurrentPosition() override {
        log.add("reportCurrentPosition");
        return 9;
    }
    float* reportDestinationBuffer() override {
        log.add("reportDestinationBuffer");
        return nullptr;
    }
    void setBlockSizeAndSampleRate(VstInt32 size, float rate) override {
        log.add("setBlockSizeAndSampleRate", size, rate);
    }
    bool getErrorText(char*) override {
        log.add("getErrorText");
        return true;
    }
    void* getIcon() override {
        log.add("getIcon");
        return nullptr;
    }
    bool setViewPosition(VstInt32 x, VstInt32 y) override {
        log.add("setViewPosition", x, y);
        return true;
    }
    VstInt32 fxIdle() override {
        log.add("fxIdle");
        return 9;
    }
    bool keysRequired() override {
        log.add("keysRequired");
        return true;
    }
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
    bool open(void* window) override {
        m_log.add("editor.open", window != nullptr);
        return next;
    }
    void close() override { m_log.add("editor.close"); }
    void idle() override { m_log.add("editor.idle"); }
    bool onKeyDown(VstKeyCode& key) override {
        m_log.add("editor.onKeyDown", key.character, int(key.virt), int(key.modifier));
        return next;
    }
    bool onKeyUp(VstKeyCode& key) override {
        m_log.add("editor.onKeyUp", key.character, int(key.virt), int(key.modifier));
        return next;
    }
    bool setKnobMode(VstInt32 mode) override {
        m_log.add("editor.setKnobMode", mode);
        return next;
    }

private:
    CallLog& m_log;
    bool* m_destroyed;
};
