// The base classes as a host reaches them: the record and its flags, both
// dispatchers with the editor's opcodes, the defaults, the speaker
// arrangements and every request to the host.
#include "plugin/aeffeditor.h"
#include "recording.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr VstInt32 kPrograms = 10;

// Appends "name(argument,argument)" to log.
template <class... Args>
void logCall(std::string& log, const std::string& name, const Args&... args) {
    std::ostringstream text;
    text << (log.empty() ? "" : " ") << name << '(';
    int n = 0;
    ((text << (n++ ? "," : "") << args), ...);
    log += text.str() + ')';
}

// An operation that logs its name with the arguments in `args` and answers
// the object's `next`.
#define RECORD(Result, name, params, args)                                                         \
    Result name params override {                                                                  \
        return Result(said(#name, std::forward_as_tuple args));                                    \
    }

// A plug-in whose operations that take arguments log their calls; the others
// show in the default answers, and those the plug-in class overrides in its
// own tests and the built library's.
class RecordingEffect : public AudioEffectX {
public:
    explicit RecordingEffect(audioMasterCallback host) : AudioEffectX(host, kPrograms, 3) {}
    // The log, with "destroyed()" added, outlives the object in `afterlife`.
    ~RecordingEffect() override {
        if (afterlife) {
            *afterlife = log + " destroyed()";
        }
    }

    std::string log;
    VstIntPtr next = 0;
    std::string* afterlife = nullptr;

    template <class Args> VstIntPtr said(const std::string& name, const Args& args) {
        std::apply([&](const auto&... a) { logCall(log, name, a...); }, args);
        return next;
    }
    void processReplacing(float**, float**, VstInt32) override {}
    void resume() override {
        said("resume", std::tuple<>());
        AudioEffectX::resume();
    }
    RECORD(void, open, (), ());
    RECORD(void, close, (), ());
    RECORD(void, suspend, (), ());
    RECORD(void, setProgram, (VstInt32 program), (program));
    RECORD(void, setParameter, (VstInt32 i, float value), (i, value));
    RECORD(VstInt32, getChunk, (void**, bool isPreset), (isPreset));
    RECORD(VstInt32, setChunk, (void*, VstInt32 size, bool isPreset), (size, isPreset));
    RECORD(bool, canParameterBeAutomated, (VstInt32 i), (i));
    RECORD(bool, string2parameter, (VstInt32 i, char* text), (i, text));
    RECORD(bool, getInputProperties, (VstInt32 i, VstPinProperties*), (i));
    RECORD(bool, setSpeakerArrangement, (VstSpeakerArrangement * in, VstSpeakerArrangement* out),
           (in ? in->numChannels : -1, out ? out->numChannels : -1));
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

// An editor that logs what reaches it into its plug-in's log, as "editor.name(...)".
class RecordingEditor : public AEffEditor {
public:
    RecordingEditor(RecordingEffect* effect, bool* destroyed = nullptr)
        : AEffEditor(effect), m_effect(effect), m_destroyed(destroyed) {}
    ~RecordingEditor() override {
        if (m_destroyed) {
            *m_destroyed = true;
        }
    }
    template <class Args> VstIntPtr said(const std::string& name, const Args& args) {
        return m_effect->said("editor." + name, args);
    }
    RECORD(bool, getRect, (ERect**), ());
    RECORD(bool, open, (void* window), (window != nullptr));
    bool onKeyDown(VstKeyCode& k) override { return key(__func__, k); }
    bool onKeyUp(VstKeyCode& k) override { return key(__func__, k); }
    RECORD(bool, setKnobMode, (VstInt32 mode), (mode));

private:
    bool key(const char* name, const VstKeyCode& k) {
        return said(name, std::make_tuple(k.character, int(k.virt), int(k.modifier))) != 0;
    }
    RecordingEffect* m_effect;
    bool* m_destroyed;
};

TEST(AudioEffect, RecordAsConstructedReachesTheObject) {
    RecordingEffect effect(nullptr);
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(
        std::tie(e->magic, e->numPrograms, e->numParams, e->numInputs, e->numOutputs, e->flags,
                 e->uniqueID, e->version, e->ioRatio),
        std::make_tuple(0x56737450, kPrograms, 3, 1, 2, effFlagsCanReplacing, 0x4E6F4566, 1, 1.0f));
    EXPECT_EQ(std::tie(e->resvd1, e->resvd2, e->initialDelay, e->user),
              std::make_tuple(0, 0, 0, nullptr));
    EXPECT_EQ(e->object, static_cast<void*>(static_cast<AudioEffect*>(&effect)));
    EXPECT_EQ(std::string(e->future, sizeof e->future), std::string(sizeof e->future, '\0'));
    EXPECT_EQ(std::make_tuple(effect.getSampleRate(), effect.getBlockSize(), effect.getProgram()),
              std::make_tuple(44100.0f, 1024, 0));

    float left[4] = {};
    float* outputs[2] = {left, left};
    e->process(e, nullptr, outputs, 4); // deprecated: empty by default, as is double precision
    e->processDoubleReplacing(e, nullptr, nullptr, 4);
    EXPECT_EQ(e->getParameter(e, 2), 0.0f);

    // Each flag setter touches its own bit only.
    using Setter = void (AudioEffectX::*)(bool);
    const std::pair<Setter, VstInt32> setters[] = {
        {&AudioEffect::hasClip, effFlagsHasClip},
        {&AudioEffect::hasVu, effFlagsHasVu},
        {&AudioEffect::canMono, effFlagsCanMono},
        {&AudioEffect::canProcessReplacing, effFlagsCanReplacing},
        {&AudioEffect::programsAreChunks, effFlagsProgramChunks},
        {&AudioEffect::canDoubleReplacing, effFlagsCanDoubleReplacing},
        {&AudioEffectX::isSynth, effFlagsIsSynth},
        {&AudioEffectX::noTail, effFlagsNoSoundInStop},
        {&AudioEffectX::wantAsyncOperation, effFlagsExtIsAsync},
        {&AudioEffectX::hasExternalBuffer, effFlagsExtHasBuffer}};
    for (const auto& [set, bit] : setters) {
        e->flags = 0x5a5a & ~bit;
        (effect.*set)(true);
        EXPECT_EQ(e->flags, (0x5a5a & ~bit) | bit) << bit;
        (effect.*set)(false);
        EXPECT_EQ(e->flags, 0x5a5a & ~bit) << bit;
    }
}

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
enum class Through { objectWithEditor, objectAlone, audioEffect };

void expectDispatches(const std::vector<DispatchCase>& cases, Through through) {
    for (const DispatchCase& c : cases) {
        RecordingEffect effect(nullptr);
        if (through != Through::objectAlone) {
            effect.setEditor(new RecordingEditor(&effect));
        }
        char scratch[512] = "text";
        effect.next = *c.calls ? c.answer : 1;
        void* ptr = c.withPtr ? &scratch : nullptr;
        const VstIntPtr answer =
            through == Through::audioEffect
                ? effect.AudioEffect::dispatcher(c.opcode, c.index, c.value, ptr, c.opt)
                : effect.dispatcher(c.opcode, c.index, c.value, ptr, c.opt);
        EXPECT_EQ(answer, c.answer) << "opcode " << c.opcode;
        EXPECT_EQ(effect.log, c.calls) << "opcode " << c.opcode;
    }
}

TEST(AudioEffect, DispatcherTable) {
    VstSpeakerArrangement input{};
    input.numChannels = 3;
    std::vector<DispatchCase> cases = {
        {effOpen, 0, 0, false, 0, 0, "open()"},
        {effClose, 0, 0, false, 0, 0, "close()"},
        {effSetProgram, 0, kPrograms - 1, false, 0, 0, "setProgram(9)"},
        {effSetProgram, 0, kPrograms, false, 0, 0, ""},
        {effSetProgram, 0, -1, false, 0, 0, "setProgram(-1)"},
        // Values beyond 32 bits are refused, not cut into a valid program.
        {effSetProgram, 0, VstIntPtr(1) << 32, false, 0, 0, ""},
        {effSetProgram, 0, -(VstIntPtr(1) << 32) + 2, false, 0, 0, ""},
        {effSetProgram, 0, INT32_MIN, false, 0, 0, "setProgram(-2147483648)"},
        {effMainsChanged, 0, 2, false, 0, 0, "resume() canDo(receiveVstMidiEvent)"},
        {effMainsChanged, 0, 0, false, 0, 0, "suspend()"},
        {effIdentify, 0, 0, false, 0, 0x4E764566, ""},
        {effGetChunk, 1, 0, true, 0, -7, "getChunk(1)"},
        {effGetChunk, 0, 0, true, 0, 12, "getChunk(0)"},
        {effSetChunk, 0, 300, true, 0, 1, "setChunk(300,0)"},
        {effSetChunk, 5, 300, true, 0, 1, "setChunk(300,1)"},
        // The editor's: the key record is index, the low byte of value and
        // opt truncated; a modifier no integer holds is no modifier.
        {effEditGetRect, 0, 0, true, 0, 1, "editor.getRect()"},
        {effEditOpen, 0, 0, true, 0, 1, "editor.open(1)"},
        {effEditKeyDown, 65, 300, false, 2.9f, 1, "editor.onKeyDown(65,44,2)"},
        {effEditKeyUp, 66, 0x1FF, false, 258.5f, 0, "editor.onKeyUp(66,255,2)"},
        {effEditKeyDown, 1, 0, false, -1.0f, 1, "editor.onKeyDown(1,0,255)"},
        {effEditKeyDown, 2, 0, false, 1e30f, 0, "editor.onKeyDown(2,0,0)"},
        {effSetEditKnobMode, 0, 2, false, 0, 1, "editor.setKnobMode(2)"},
        // The extensions. The whole value: a reference cut to 32 bits would
        // not reach the record. canDo's argument shows in switching on.
        {effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), true, 0, 1,
         "setSpeakerArrangement(3,0)"},
        {effCanBeAutomated, 3, 0, false, 0, 1, "canParameterBeAutomated(3)"},
        {effString2Parameter, 1, 0, true, 0, 1, "string2parameter(1,text)"},
        {effGetInputProperties, 1, 0, true, 0, 1, "getInputProperties(1)"},
        {effOfflineNotify, 1, 3, true, 0, 1, "offlineNotify(3,1)"},
        {effOfflineNotify, 0, 3, true, 0, 1, "offlineNotify(3,0)"},
        {effOfflinePrepare, 0, 4, true, 0, 1, "offlinePrepare(4)"},
        {effOfflineRun, 0, 4, true, 0, 0, "offlineRun(4)"},
        {effSetBypass, 0, 2, false, 0, 1, "setBypass(1)"},
        {effSetBypass, 0, 0, false, 0, 0, "setBypass(0)"},
        {effVendorSpecific, 7, VstIntPtr(1) << 40, true, 0.5f, VstIntPtr(1) << 33,
         "vendorSpecific(7,1099511627776,0.5)"},
        {effGetParameterProperties, 1, 0, true, 0, 1, "getParameterProperties(1)"},
        {effGetMidiProgramName, 3, 0, true, 0, 5, "getMidiProgramName(3)"},
        {effGetCurrentMidiProgram, 3, 0, true, 0, -1, "getCurrentMidiProgram(3)"},
        // Answered without a record too: 0 would name a real program.
        {effGetCurrentMidiProgram, 3, 0, false, 0, -1, "getCurrentMidiProgram(3)"},
        {effGetMidiProgramCategory, 3, 0, true, 0, 2, "getMidiProgramCategory(3)"},
        {effHasMidiProgramsChanged, 3, 0, false, 0, 1, "hasMidiProgramsChanged(3)"},
        {effGetMidiKeyName, 3, 0, true, 0, 1, "getMidiKeyName(3)"},
        // One reference given is still written through.
        {effGetSpeakerArrangement, 0, 0, true, 0, 0, "getSpeakerArrangement()"},
        {effSetTotalSampleToProcess, 0, 512, false, 0, 512, "setTotalSampleToProcess(512)"},
        {effSetPanLaw, 0, 1, false, 0.5f, 1, "setPanLaw(1,0.5)"},
        {effSetProcessPrecision, 0, 1, false, 0, 1, "setProcessPrecision(1)"},
    };
    // Deprecated and unknown opcodes reach nothing (effGetNumProgramCategories
    // would answer 1), nor do opcodes that need a pointer and get none.
    for (VstInt32 opcode :
         {effGetNumProgramCategories, effCopyProgram, effConnectInput, effConnectOutput,
          effGetCurrentPosition, effGetDestinationBuffer, effSetBlockSizeAndSampleRate,
          effGetErrorText, effIdle, effGetIcon, effSetViewPosition, effKeysRequired, effGetVu,
          effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 0, ""});
    }
    for (VstInt32 opcode : {80, 200, -1, INT32_MIN}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 0, ""});
    }
    for (VstInt32 opcode : {effGetChunk, effString2Parameter, effEditGetRect, effEditOpen}) {
        cases.push_back({opcode, 1, 1, false, 0, 0, ""});
    }
    expectDispatches(cases, Through::objectWithEditor);
    // Without an editor its opcodes reach nothing; AudioEffect's own
    // dispatcher knows none of the extensions.
    cases.clear();
    for (VstInt32 opcode :
         {effEditGetRect, effEditOpen, effEditKeyDown, effEditKeyUp, effSetEditKnobMode}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 0, ""});
    }
    expectDispatches(cases, Through::objectAlone);
    expectDispatches({{effCanDo, 1, 1, true, 1.0f, 0, ""}}, Through::audioEffect);
}

TEST(AudioEffect, EditorRegistrationAndClose) {
    bool editorDestroyed = false;
    auto* effect = new RecordingEffect(nullptr);
    auto* editor = new RecordingEditor(effect, &editorDestroyed);
    AEffect* e = effect->getAeffect();
    effect->setEditor(editor);
    EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(effect->getEditor(), editor);
    // Unregistered, the editor is neither deleted nor asked for its
    // rectangle, and the host's reference is left alone.
    effect->setEditor(nullptr);
    ERect sentinel{};
    ERect* rect = &sentinel;
    EXPECT_EQ(e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(std::make_tuple(e->flags & effFlagsHasEditor, rect, editorDestroyed),
              std::make_tuple(0, &sentinel, false));
    // effClose through the record closes, then destroys object and editor.
    effect->setEditor(editor);
    std::string afterlife;
    effect->afterlife = &afterlife;
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(afterlife, "close() destroyed()");
    EXPECT_TRUE(editorDestroyed);
}

// The neutral answers of both base classes and of a plain editor.
TEST(AudioEffectX, Defaults) {
    PlainEffect effect;
    char scratch[512] = "text"; // room for any record an opcode's pointer names
    std::string answers;
    for (VstInt32 opcode :
         {effCanBeAutomated, effString2Parameter, effGetProgramNameIndexed, effGetOutputProperties,
          effGetPlugCategory, effGetVstVersion, effGetCurrentMidiProgram,
          effSetTotalSampleToProcess, effGetTailSize, effCanDo, effGetNumMidiInputChannels}) {
        answers += std::to_string(effect.dispatcher(opcode, 12345, 512, scratch, 0)) + " ";
    }
    EXPECT_EQ(answers, "1 0 0 0 0 2400 -1 512 0 0 0 ");
    EXPECT_EQ(effect.dispatcher(effGetCurrentMidiProgram, 0, 0, nullptr, 0), -1);
    effect.isSynth(true);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
    EXPECT_EQ(std::make_tuple(effect.getNumCategories(), effect.reportDestinationBuffer()),
              std::make_tuple(1, nullptr));
    effect.setBlockSizeAndSampleRate(256, 96000.0f);
    effect.dispatcher(effSetProgram, 0, -1, nullptr, 0);
    EXPECT_EQ(std::make_tuple(effect.getBlockSize(), effect.getSampleRate(),
                              effect.dispatcher(effGetProgram, 0, 0, nullptr, 0)),
              std::make_tuple(256, 96000.0f, VstIntPtr(-1))); // sign-extended
    // The default text operations clear the first byte only.
    for (VstInt32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        char text[4] = {'x', 'y', 'z', 'w'};
        effect.dispatcher(opcode, 0, 0, text, 0);
        EXPECT_EQ(std::string(text, 4), std::string("\0yzw", 4)) << opcode;
    }
    // No arrangement of its own: every reference the host gives is cleared,
    // whether or not the other one is given.
    VstSpeakerArrangement dummy{};
    for (int given = 0; given < 4; ++given) {
        VstSpeakerArrangement *in = &dummy, *out = &dummy;
        const VstIntPtr inRef = given & 1 ? reinterpret_cast<VstIntPtr>(&in) : 0;
        effect.dispatcher(effGetSpeakerArrangement, 0, inRef, given & 2 ? &out : nullptr, 0);
        EXPECT_EQ((in == nullptr) + 2 * (out == nullptr), given);
    }
    // A plain editor: open until closed, no rectangle, no keys.
    auto* editor = new AEffEditor(&effect);
    effect.setEditor(editor);
    int window = 0;
    ERect* rect = reinterpret_cast<ERect*>(&window);
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &window, 0), 0);
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(std::make_tuple(editor->getEffect(), editor->isOpen(), rect),
              std::make_tuple(static_cast<AudioEffect*>(&effect), true, nullptr));
    for (VstInt32 opcode :
         {effEditIdle, effEditClose, effEditKeyDown, effEditKeyUp, effSetEditKnobMode}) {
        EXPECT_EQ(effect.dispatcher(opcode, 0, 0, nullptr, 0), 0) << opcode;
    }
    EXPECT_FALSE(editor->isOpen() || editor->onWheel(1.0f));
}

// A synthesizer asks every time it is switched on, without consulting its
// own canDo; anything else only when canDo answers exactly 1. AudioEffect's
// own resume, and construction, ask for nothing.
TEST(AudioEffectX, ResumeAsksForMidi) {
    for (VstIntPtr canDoAnswer : {1, 0, -1, 2}) {
        for (bool synth : {true, false}) {
            RecordingHost host;
            RecordingEffect effect(RecordingHost::callback);
            effect.isSynth(synth);
            effect.next = canDoAnswer;
            effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0);
            effect.AudioEffect::resume();
            EXPECT_EQ(effect.log, synth ? "resume()" : "resume() canDo(receiveVstMidiEvent)");
            const bool asks = synth || canDoAnswer == 1;
            ASSERT_EQ(host.requests.size(), asks ? 1u : 0u) << canDoAnswer << synth;
            for (const HostRequest& r : host.requests) {
                EXPECT_EQ(std::tie(r.opcode, r.value), std::make_tuple(audioMasterWantMidi, 1));
            }
        }
    }
}

// A request's result as a number (a request with no result is written with
// ", 0"), and the request's text for the messages.
VstIntPtr resultOf(VstIntPtr value) {
    return value;
}
VstIntPtr resultOf(const void* reference) {
    return reinterpret_cast<VstIntPtr>(reference);
}
// Any record a request takes, all at one address.
struct AnyRecord {
    void* at;
    template <class T> operator T*() const { return static_cast<T*>(at); }
};
#define CALL(call) #call, [&](RecordingEffect & x) { return resultOf((call)); }

// Every host request of both base classes: the opcode and the arguments the
// host sees, how the answer becomes the result, and the result without a
// host. Answers with bits beyond the low 32 tell a request that should read
// the whole answer ("not 0", exactly 1, a reference) from one that should
// cut it to 32 bits.
TEST(AudioEffectX, EveryHostRequestWithAndWithoutAHost) {
    // H: bits beyond the low 32 only; A: those and 5 in the low 32.
    constexpr VstIntPtr H = VstIntPtr(1) << 32, A = H | 5;
    char scratch[8] = {};
    const AnyRecord p{scratch};
    // The arguments the host sees; with withPtr, p.
    struct Args {
        Args(VstInt32 i = 0, VstIntPtr v = 0, bool withPtr = false, float o = 0)
            : index(i), value(v), withPtr(withPtr), opt(o) {}
        VstInt32 index;
        VstIntPtr value;
        bool withPtr;
        float opt;
    };
    struct Case {
        VstInt32 opcode;
        VstIntPtr answer, withHost, withoutHost;
        const char* name;
        std::function<VstIntPtr(RecordingEffect&)> call;
        Args args = Args();
    };
    const Case cases[] = {
        {audioMasterVersion, A, 5, 1, CALL(x.getMasterVersion())},
        {audioMasterVersion, 0, 1, 1, CALL(x.getMasterVersion())},
        {audioMasterCurrentId, A, 5, 0, CALL(x.getCurrentUniqueId())},
        {audioMasterIdle, A, 0, 0, CALL((x.masterIdle(), 0))},
        {audioMasterPinConnected, H, 1, 1, CALL(x.isInputConnected(3)), Args(3)},
        {audioMasterPinConnected, 1, 0, 1, CALL(x.isInputConnected(3)), Args(3)},
        {audioMasterPinConnected, H, 1, 1, CALL(x.isOutputConnected(4)), Args(4, 1)},
        {audioMasterAutomate, A, 1, 1,
         CALL((x.setParameterAutomated(2, 0.25f), x.log == "setParameter(2,0.25)")),
         Args(2, 0, 0, 0.25f)},
        {audioMasterWantMidi, A, 0, 0, CALL((x.wantEvents(7), 0)), Args(0, 7)},
        {audioMasterGetTime, A, A, 0, CALL(x.getTimeInfo(kVstTempoValid)), Args(0, kVstTempoValid)},
        {audioMasterProcessEvents, H | 1, 0, 0, CALL(x.sendVstEventsToHost(p)), Args(0, 0, 1)},
        {audioMasterProcessEvents, 1, 1, 0, CALL(x.sendVstEventsToHost(p)), Args(0, 0, 1)},
        {audioMasterTempoAt, A, 5, 0, CALL(x.tempoAt(99)), Args(0, 99)},
        {audioMasterGetNumAutomatableParameters, A, 5, 0, CALL(x.getNumAutomatableParameters())},
        {audioMasterGetParameterQuantization, A, 5, 0, CALL(x.getParameterQuantization())},
        {audioMasterIOChanged, H, 1, 0, CALL(x.ioChanged())},
        {audioMasterNeedIdle, H, 1, 0, CALL(x.needIdle())},
        {audioMasterSizeWindow, H, 1, 0, CALL(x.sizeWindow(578, 356)), Args(578, 356)},
        // Only a rate or size the host knows replaces the stored one.
        {audioMasterGetSampleRate, 48000, 48000, 44100,
         CALL((x.updateSampleRate(), VstIntPtr(x.getSampleRate())))},
        {audioMasterGetSampleRate, 0, 44100, 44100, CALL(VstIntPtr(x.updateSampleRate()))},
        {audioMasterGetSampleRate, -5, 44100, 44100, CALL(VstIntPtr(x.updateSampleRate()))},
        {audioMasterGetBlockSize, A, 5, 1024, CALL((x.updateBlockSize(), x.getBlockSize()))},
        {audioMasterGetBlockSize, H, 1024, 1024, CALL(x.updateBlockSize())},
        {audioMasterGetInputLatency, A, 5, 0, CALL(x.getInputLatency())},
        {audioMasterGetOutputLatency, A, 5, 0, CALL(x.getOutputLatency())},
        {audioMasterGetPreviousPlug, A, A, 0, CALL(x.getPreviousPlug(3))},
        {audioMasterGetNextPlug, A, A, 0, CALL(x.getNextPlug(3))},
        {audioMasterWillReplaceOrAccumulate, A, 5, 0, CALL(x.willProcessReplacing())},
        {audioMasterGetCurrentProcessLevel, A, 5, 0, CALL(x.getCurrentProcessLevel())},
        {audioMasterGetAutomationState, A, 5, 0, CALL(x.getAutomationState())},
        {audioMasterOfflineStart, H, 1, 0, CALL(x.offlineStart(p, 3, 2)), Args(2, 3, 1)},
        {audioMasterOfflineRead, H, 1, 0, CALL(x.offlineRead(p, kVstOfflinePeak, true)),
         Args(1, kVstOfflinePeak, 1)},
        {audioMasterOfflineWrite, H, 1, 0, CALL(x.offlineWrite(p, kVstOfflineMarker)),
         Args(0, kVstOfflineMarker, 1)},
        {audioMasterOfflineGetCurrentPass, H, 1, 0, CALL(x.offlineGetCurrentPass())},
        {audioMasterOfflineGetCurrentMetaPass, H, 1, 0, CALL(x.offlineGetCurrentMetaPass())},
        {audioMasterSetOutputSampleRate, A, 0, 0, CALL((x.setOutputSamplerate(22050.0f), 0)),
         Args(0, 0, 0, 22050.0f)},
        {audioMasterGetOutputSpeakerArrangement, A, A, 0, CALL(x.getOutputSpeakerArrangement())},
        {audioMasterGetVendorString, H, 1, 0, CALL(x.getHostVendorString(p)), Args(0, 0, 1)},
        {audioMasterGetProductString, H, 1, 0, CALL(x.getHostProductString(p)), Args(0, 0, 1)},
        {audioMasterGetVendorVersion, A, 5, 0, CALL(x.getHostVendorVersion())},
        {audioMasterVendorSpecific, A, A, 0, CALL(x.hostVendorSpecific(7, 9, p, 0.5f)),
         Args(7, 9, 1, 0.5f)},
        {audioMasterCanDo, H, 1, 0, CALL(x.canHostDo(p)), Args(0, 0, 1)},
        {audioMasterCanDo, 0, 0, 0, CALL(x.canHostDo(p)), Args(0, 0, 1)},
        {audioMasterGetLanguage, A, 5, 0, CALL(x.getHostLanguage())},
        {audioMasterOpenWindow, A, A, 0, CALL(x.openWindow(p)), Args(0, 0, 1)},
        {audioMasterCloseWindow, H, 1, 0, CALL(x.closeWindow(p)), Args(0, 0, 1)},
        {audioMasterGetDirectory, A, A, 0, CALL(x.getDirectory())},
        {audioMasterUpdateDisplay, H, 1, 0, CALL(x.updateDisplay())},
        {audioMasterBeginEdit, H, 1, 0, CALL(x.beginEdit(12345)), Args(12345)},
        {audioMasterEndEdit, H, 1, 0, CALL(x.endEdit(12345)), Args(12345)},
        {audioMasterOpenFileSelector, H, 1, 0, CALL(x.openFileSelector(p)), Args(0, 0, 1)},
        {audioMasterCloseFileSelector, H, 1, 0, CALL(x.closeFileSelector(p)), Args(0, 0, 1)},
        {audioMasterGetChunkFile, H, 1, 0, CALL(x.getChunkFile(p)), Args(0, 0, 1)},
        {audioMasterGetInputSpeakerArrangement, A, A, 0, CALL(x.getInputSpeakerArrangement())},
    };
    for (const Case& c : cases) {
        {
            RecordingHost host;
            host.answers[c.opcode] = c.answer;
            RecordingEffect effect(RecordingHost::callback);
            EXPECT_EQ(c.call(effect), c.withHost) << c.name;
            ASSERT_EQ(host.requests.size(), 1u) << c.name;
            const HostRequest& r = host.requests[0];
            EXPECT_EQ(std::tie(r.effect, r.opcode, r.index, r.value, r.ptr, r.opt),
                      std::make_tuple(effect.getAeffect(), c.opcode, c.args.index, c.args.value,
                                      c.args.withPtr ? p.at : nullptr, c.args.opt))
                << c.name;
        }
        RecordingEffect effect(nullptr);
        EXPECT_EQ(c.call(effect), c.withoutHost) << c.name << " without a host";
    }
    // Null arguments are refused before the host is asked.
    RecordingHost host;
    RecordingEffect effect(RecordingHost::callback);
    EXPECT_FALSE(effect.openFileSelector(nullptr) || effect.closeFileSelector(nullptr) ||
                 effect.getChunkFile(nullptr));
    EXPECT_TRUE(host.requests.empty());
}

TEST(AudioEffectX, SpeakerArrangements) {
    PlainEffect effect;
    VstSpeakerArrangement *from = nullptr, *to = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&from, 2));
    from->type = 1;
    for (int i = 0; i < 2; ++i) {
        std::memset(&from->speakers[i], 'A' + i, sizeof from->speakers[i]); // a name without NUL
    }
    ASSERT_TRUE(effect.allocateArrangement(&to, 12)); // replaced, not leaked
    ASSERT_TRUE(effect.matchArrangement(&to, from));
    EXPECT_EQ(std::tie(to->type, to->numChannels), std::make_tuple(1, 2));
    for (int i = 0; i < 2; ++i) {
        from->speakers[i].name[63] = '\0'; // the copied name is cut to 63 characters
        EXPECT_EQ(std::memcmp(&to->speakers[i], &from->speakers[i], sizeof to->speakers[i]), 0);
    }
    EXPECT_FALSE(effect.matchArrangement(&to, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, &from->speakers[0]));
    EXPECT_FALSE(effect.copySpeaker(&to->speakers[0], nullptr));

    // A request that cannot be met frees the old block and leaves no
    // reference to it.
    EXPECT_FALSE(effect.allocateArrangement(&to, -1));
    EXPECT_EQ(to, nullptr);
    ASSERT_TRUE(effect.allocateArrangement(&to, 0));
    EXPECT_EQ(std::tie(to->numChannels, to->type), std::make_tuple(0, 0));
    EXPECT_TRUE(effect.deallocateArrangement(&to) && effect.deallocateArrangement(&to));
    EXPECT_EQ(to, nullptr);
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    effect.deallocateArrangement(&from);
}

} // namespace
