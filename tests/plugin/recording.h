// Test doubles for the plug-in shell: a plug-in object whose operations that
// take arguments from a dispatcher record their call and answer `next`, an
// editor that does the same, and a host callback that records the requests
// it gets. Operations without arguments are checked by their answers.
#pragma once

#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

// The calls made, as "name(argument,argument) name()".
class CallLog {
public:
    template <class... Args> void add(const std::string& name, const Args&... args) {
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

// An operation that logs its name and the arguments listed in `args` (a
// parenthesised list of parameter names) and answers `next` as its result.
#define RECORD(Result, name, params, args)                                                         \
    Result name params override {                                                                  \
        return Result(said(#name, std::forward_as_tuple args));                                    \
    }

// A plug-in with nothing of its own.
struct PlainEffect : AudioEffectX {
    PlainEffect() : AudioEffectX(nullptr, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

class RecordingEffect : public AudioEffectX {
public:
    RecordingEffect(audioMasterCallback host, VstInt32 programs, VstInt32 params)
        : AudioEffectX(host, programs, params) {}
    // The log, with "destroyed()" added, outlives the object in `afterlife`.
    ~RecordingEffect() override {
        if (afterlife) {
            *afterlife = log;
            afterlife->add("destroyed");
        }
    }

    CallLog log;
    VstIntPtr next = 0;
    CallLog* afterlife = nullptr;

    template <class Args> VstIntPtr said(const char* name, const Args& args) {
        std::apply([&](const auto&... a) { log.add(name, a...); }, args);
        return next;
    }

    // Those that keep the base behaviour as well.
    void resume() override {
        log.add(__func__);
        AudioEffectX::resume();
    }
    void setSampleRate(float rate) override {
        log.add(__func__, rate);
        AudioEffectX::setSampleRate(rate);
    }
    void setBlockSize(VstInt32 size) override {
        log.add(__func__, size);
        AudioEffectX::setBlockSize(size);
    }
    void setProgram(VstInt32 program) override {
        log.add(__func__, program);
        AudioEffectX::setProgram(program);
    }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        log.add(__func__, in ? in->numChannels : -1, out ? out->numChannels : -1);
        return next != 0;
    }

    RECORD(void, open, (), ());
    RECORD(void, close, (), ());
    RECORD(void, suspend, (), ());
    RECORD(void, processReplacing, (float**, float**, VstInt32 n), (n));
    RECORD(void, setParameter, (VstInt32 i, float value), (i, value));
    RECORD(void, setProgramName, (char* name), (name));
    RECORD(void, getParameterLabel, (VstInt32 i, char*), (i));
    RECORD(void, getParameterDisplay, (VstInt32 i, char*), (i));
    RECORD(void, getParameterName, (VstInt32 i, char*), (i));
    RECORD(VstInt32, getChunk, (void**, bool isPreset), (isPreset));
    RECORD(VstInt32, setChunk, (void*, VstInt32 size, bool isPreset), (size, isPreset));
    RECORD(VstInt32, processEvents, (VstEvents * e), (e->numEvents));
    RECORD(bool, canParameterBeAutomated, (VstInt32 i), (i));
    RECORD(bool, string2parameter, (VstInt32 i, char* text), (i, text));
    RECORD(bool, getProgramNameIndexed, (VstInt32 category, VstInt32 i, char*), (category, i));
    RECORD(bool, getInputProperties, (VstInt32 i, VstPinProperties*), (i));
    RECORD(bool, getOutputProperties, (VstInt32 i, VstPinProperties*), (i));
    RECORD(bool, offlineNotify, (VstAudioFile*, VstInt32 n, bool start), (n, start));
    RECORD(bool, offlinePrepare, (VstOfflineTask*, VstInt32 n), (n));
    RECORD(bool, offlineRun, (VstOfflineTask*, VstInt32 n), (n));
    RECORD(bool, setBypass, (bool on), (on));
    RECORD(VstIntPtr, vendorSpecific, (VstInt32 a, VstIntPtr b, void*, float f), (a, b, f));
    RECORD(VstInt32, canDo, (char* text), (text));
    RECORD(bool, getParameterProperties, (VstInt32 i, VstParameterProperties*), (i));
    RECORD(VstInt32, getMidiProgramName, (VstInt32 c, MidiProgramName*), (c));
    RECORD(VstInt32, getCurrentMidiProgram, (VstInt32 c, MidiProgramName*), (c));
    RECORD(VstInt32, getMidiProgramCategory, (VstInt32 c, MidiProgramCategory*), (c));
    RECORD(bool, hasMidiProgramsChanged, (VstInt32 c), (c));
    RECORD(bool, getMidiKeyName, (VstInt32 c, MidiKeyName*), (c));
    RECORD(bool, getSpeakerArrangement, (VstSpeakerArrangement**, VstSpeakerArrangement**), ());
    RECORD(VstInt32, setTotalSampleToProcess, (VstInt32 value), (value));
    RECORD(bool, setPanLaw, (VstInt32 type, float value), (type, value));
    RECORD(bool, setProcessPrecision, (VstInt32 p), (p));
};

// An editor that records what reaches it, as "editor.name(...)", in `log`.
class RecordingEditor : public AEffEditor {
public:
    RecordingEditor(AudioEffect* effect, CallLog& log, bool* destroyed = nullptr)
        : AEffEditor(effect), m_log(log), m_destroyed(destroyed) {}
    ~RecordingEditor() override {
        if (m_destroyed) {
            *m_destroyed = true;
        }
    }

    VstIntPtr next = 1;
    ERect rect{0, 0, 356, 578};

    template <class Args> VstIntPtr said(const char* name, const Args& args) {
        std::apply([&](const auto&... a) { m_log.add("editor." + std::string(name), a...); }, args);
        return next;
    }
    bool getRect(ERect** r) override {
        *r = &rect;
        return said(__func__, std::tuple<>()) != 0;
    }
    RECORD(bool, open, (void* window), (window != nullptr));
    RECORD(void, close, (), ());
    RECORD(void, idle, (), ());
    bool onKeyDown(VstKeyCode& k) override { return key(__func__, k); }
    bool onKeyUp(VstKeyCode& k) override { return key(__func__, k); }
    RECORD(bool, setKnobMode, (VstInt32 mode), (mode));

private:
    bool key(const char* name, const VstKeyCode& k) {
        return said(name, std::make_tuple(k.character, int(k.virt), int(k.modifier))) != 0;
    }
    CallLog& m_log;
    bool* m_destroyed;
};

// One dispatcher call on a fresh RecordingEffect: its arguments (the pointer
// argument is a zeroed scratch record holding the text "text", or null), the
// answer and the calls expected. Operations answer `answer`, or 1 where no
// call is expected, so that a stray call shows in the answer as well.
struct DispatchCase {
    VstInt32 opcode, index;
    VstIntPtr value;
    bool withPtr;
    float opt;
    VstIntPtr answer;
    const char* calls;
};

// Through AudioEffect's own dispatcher when `basic`, else the object's.
inline void expectDispatches(VstInt32 programs, const std::vector<DispatchCase>& cases,
                             bool basic = false) {
    for (const DispatchCase& c : cases) {
        RecordingEffect effect(nullptr, programs, 3);
        union {
            char text[512];
            VstEvents events;
        } scratch{};
        if (c.opcode != effProcessEvents) {
            std::strcpy(scratch.text, "text");
        }
        effect.next = *c.calls ? c.answer : 1;
        void* ptr = c.withPtr ? &scratch : nullptr;
        const VstIntPtr answer =
            basic ? effect.AudioEffect::dispatcher(c.opcode, c.index, c.value, ptr, c.opt)
                  : effect.dispatcher(c.opcode, c.index, c.value, ptr, c.opt);
        EXPECT_EQ(answer, c.answer) << "opcode " << c.opcode;
        EXPECT_EQ(effect.log.joined(), c.calls) << "opcode " << c.opcode;
    }
}

// A host callback that records every request and answers by opcode (0 for
// any opcode not listed). It reports to the most recent host still alive.
struct HostRequest {
    AEffect* effect;
    VstInt32 opcode, index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class RecordingHost {
public:
    RecordingHost() : m_previous(current()) { current() = this; }
    ~RecordingHost() { current() = m_previous; }

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
        RecordingHost* host = current();
        if (!host) {
            return 0;
        }
        host->requests.push_back({effect, opcode, index, value, ptr, opt});
        return host->answers[opcode];
    }
    std::size_t count(VstInt32 opcode) const {
        std::size_t n = 0;
        for (const HostRequest& request : requests) {
            n += request.opcode == opcode;
        }
        return n;
    }

    std::vector<HostRequest> requests;
    std::map<VstInt32, VstIntPtr> answers;

private:
    static RecordingHost*& current() {
        static RecordingHost* host = nullptr;
        return host;
    }
    RecordingHost* m_previous;
};
