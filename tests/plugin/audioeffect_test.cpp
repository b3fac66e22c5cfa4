// The base classes as a host reaches them: the record and its flags, both
// dispatchers with the editor's opcodes, the defaults, the speaker
// arrangements, every request to the host, the display texts and the order
// of the virtual slots.
#include "../support/vtableslot.h"
#include "boundedtext.h"
#include "plugin/aeffeditor.h"
#include "plugin/vsttext.h"
#include "recording.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
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

// A plug-in whose operations log their calls where the arguments they get
// take more than passing on: the others show in the default answers, and
// those the plug-in class overrides in its own tests and the library's.
class RecordingEffect : public AudioEffectX {
public:
    explicit RecordingEffect(audioMasterCallback host) : AudioEffectX(host, kPrograms, 3) {}

    std::string log;
    VstIntPtr next = 0;

    // Appends "name(argument,argument)" to the log and answers `next`.
    template <class... Args> VstIntPtr said(const std::string& name, const Args&... args) {
        std::ostringstream text;
        text << (log.empty() ? "" : " ") << name << '(';
        int n = 0;
        ((text << (n++ ? "," : "") << args), ...);
        log += text.str() + ')';
        return next;
    }
    void processReplacing(float**, float**, VstInt32) override {}
    void resume() override {
        said("resume");
        AudioEffectX::resume();
    }
    void suspend() override { said("suspend"); }
    void setProgram(VstInt32 program) override { said("setProgram", program); }
    void setParameter(VstInt32 i, float value) override { said("setParameter", i, value); }
    bool setSpeakerArrangement(VstSpeakerArrangement* in, VstSpeakerArrangement* out) override {
        return said("setSpeakerArrangement", in ? in->numChannels : -1,
                    out ? out->numChannels : -1);
    }
    VstInt32 canDo(char* text) override { return said("canDo", text); }
    VstInt32 getCurrentMidiProgram(VstInt32 c, MidiProgramName*) override {
        return said("getCurrentMidiProgram", c);
    }
    bool getSpeakerArrangement(VstSpeakerArrangement**, VstSpeakerArrangement**) override {
        return said("getSpeakerArrangement");
    }
};

// An editor that logs what reaches it into its plug-in's log, as "editor.name(...)".
class RecordingEditor : public AEffEditor {
public:
    explicit RecordingEditor(RecordingEffect* effect) : AEffEditor(effect), m_effect(effect) {}
    bool getRect(ERect**) override { return m_effect->said("editor.getRect"); }
    bool open(void* window) override { return m_effect->said("editor.open", window != nullptr); }
    bool onKeyDown(VstKeyCode& k) override { return key("editor.onKeyDown", k); }
    bool onKeyUp(VstKeyCode& k) override { return key("editor.onKeyUp", k); }

private:
    bool key(const char* name, const VstKeyCode& k) {
        return m_effect->said(name, k.character, int(k.virt), int(k.modifier));
    }
    RecordingEffect* m_effect;
};

// One dispatcher call on a fresh RecordingEffect: its arguments (the pointer
// argument is a zeroed scratch record holding the text "text", or null), the
// answer and the calls expected. Operations answer `answer`, or 1 where no
// call is expected, so that a stray call shows in the answer as well.
enum class Through { objectWithEditor, objectAlone, audioEffect };
struct DispatchCase {
    VstInt32 opcode, index;
    VstIntPtr value;
    bool withPtr;
    float opt;
    VstIntPtr answer;
    const char* calls;
    Through through = Through::objectWithEditor;
};

TEST(AudioEffect, DispatcherTable) {
    VstSpeakerArrangement input{};
    input.numChannels = 3;
    std::vector<DispatchCase> cases = {
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
        // The editor's: the key record is index, the low byte of value and
        // opt truncated; a modifier no integer holds is no modifier.
        {effEditGetRect, 0, 0, true, 0, 1, "editor.getRect()"},
        {effEditOpen, 0, 0, true, 0, 1, "editor.open(1)"},
        {effEditKeyDown, 65, 300, false, 2.9f, 1, "editor.onKeyDown(65,44,2)"},
        {effEditKeyUp, 66, 0x1FF, false, 258.5f, 0, "editor.onKeyUp(66,255,2)"},
        {effEditKeyDown, 1, 0, false, -1.0f, 1, "editor.onKeyDown(1,0,255)"},
        {effEditKeyDown, 2, 0, false, 1e30f, 0, "editor.onKeyDown(2,0,0)"},
        // The extensions. The whole value: a reference cut to 32 bits would
        // not reach the record. canDo's argument shows in switching on.
        {effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), true, 0, 1,
         "setSpeakerArrangement(3,0)"},
        {effGetCurrentMidiProgram, 3, 0, true, 0, -1, "getCurrentMidiProgram(3)"},
        // Answered without a record too: 0 would name a real program.
        {effGetCurrentMidiProgram, 3, 0, false, 0, -1, "getCurrentMidiProgram(3)"},
        // One reference given is still written through.
        {effGetSpeakerArrangement, 0, 0, true, 0, 0, "getSpeakerArrangement()"},
        // The editor's opcodes need a pointer; AudioEffect's own dispatcher
        // knows none of the extensions.
        {effEditGetRect, 1, 1, false, 0, 0, ""},
        {effEditOpen, 1, 1, false, 0, 0, ""},
        {effCanDo, 1, 1, true, 1.0f, 0, "", Through::audioEffect},
    };
    // Deprecated and unknown opcodes reach nothing (effGetNumProgramCategories
    // would answer 1).
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
    // Without an editor its opcodes reach nothing either.
    for (VstInt32 opcode : {effEditGetRect, effEditOpen, effEditKeyDown, effEditKeyUp}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 0, "", Through::objectAlone});
    }
    for (const DispatchCase& c : cases) {
        RecordingEffect effect(nullptr);
        if (c.through != Through::objectAlone) {
            effect.setEditor(new RecordingEditor(&effect));
        }
        char scratch[512] = "text";
        effect.next = *c.calls ? c.answer : 1;
        void* ptr = c.withPtr ? &scratch : nullptr;
        const VstIntPtr answer =
            c.through == Through::audioEffect
                ? effect.AudioEffect::dispatcher(c.opcode, c.index, c.value, ptr, c.opt)
                : effect.dispatcher(c.opcode, c.index, c.value, ptr, c.opt);
        EXPECT_EQ(answer, c.answer) << "opcode " << c.opcode;
        EXPECT_EQ(effect.log, c.calls) << "opcode " << c.opcode;
    }
}

// The record as constructed, the flag setters, and the neutral answers of
// both base classes and of a plain editor.
TEST(AudioEffectX, RecordAndDefaults) {
    PlainEffect effect;
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(std::tie(e->magic, e->numPrograms, e->numParams, e->numInputs, e->numOutputs,
                       e->flags, e->uniqueID, e->version, e->ioRatio),
              std::make_tuple(0x56737450, 1, 1, 1, 2, effFlagsCanReplacing, 0x4E6F4566, 1, 1.0f));
    EXPECT_EQ(std::tie(e->resvd1, e->resvd2, e->initialDelay, e->user),
              std::make_tuple(0, 0, 0, nullptr));
    EXPECT_EQ(e->object, static_cast<void*>(static_cast<AudioEffect*>(&effect)));
    EXPECT_EQ(std::string(e->future, sizeof e->future), std::string(sizeof e->future, '\0'));
    EXPECT_EQ(std::make_tuple(effect.getSampleRate(), effect.getBlockSize(), effect.getProgram()),
              std::make_tuple(44100.0f, 1024, 0));

    e->process(e, nullptr, nullptr, 4); // deprecated: empty by default, as is double precision
    e->processDoubleReplacing(e, nullptr, nullptr, 4);
    EXPECT_EQ(e->getParameter(e, 2), 0.0f);

    // Each flag setter touches its own bit only.
    std::string bits;
    using Setters = std::initializer_list<void (AudioEffectX::*)(bool)>;
    for (auto set :
         Setters{&AudioEffect::hasClip, &AudioEffect::hasVu, &AudioEffect::canMono,
                 &AudioEffect::canProcessReplacing, &AudioEffect::programsAreChunks,
                 &AudioEffect::canDoubleReplacing, &AudioEffectX::isSynth, &AudioEffectX::noTail,
                 &AudioEffectX::wantAsyncOperation, &AudioEffectX::hasExternalBuffer}) {
        e->flags = 0;
        (effect.*set)(true);
        const VstInt32 bit = e->flags;
        e->flags = ~0;
        (effect.*set)(false);
        EXPECT_EQ(e->flags, ~bit);
        bits += std::to_string(bit) + " ";
    }
    EXPECT_EQ(bits, "2 4 8 16 32 4096 256 512 1024 2048 ");
    e->flags = 0;

    char scratch[512] = "text"; // room for any record an opcode's pointer names
    std::string answers;
    for (VstInt32 opcode : {effCanBeAutomated, effString2Parameter, effGetProgramNameIndexed,
                            effGetOutputProperties, effGetPlugCategory, effGetVstVersion,
                            effGetCurrentMidiProgram, effSetTotalSampleToProcess, effGetTailSize,
                            effCanDo, effGetNumMidiInputChannels, effGetChunk, effSetChunk,
                            effOfflineNotify, effSetBypass, effVendorSpecific, effSetPanLaw}) {
        answers += std::to_string(effect.dispatcher(opcode, 12345, 512, scratch, 0)) + " ";
    }
    EXPECT_EQ(answers, "1 0 0 0 0 2400 -1 512 0 0 0 0 0 0 0 0 0 ");
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
    // Unregistered, the editor is neither deleted (ASan would see it freed
    // twice) nor asked for its rectangle, and the host's reference stays.
    effect.setEditor(nullptr);
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(std::make_tuple(effect.getAeffect()->flags & effFlagsHasEditor, rect),
              std::make_tuple(0, nullptr));
    delete editor;
}

// A request's result as a number (a request with no result is written with
// ", 0").
VstIntPtr resultOf(VstIntPtr value) {
    return value;
}
VstIntPtr resultOf(const void* reference) {
    return reinterpret_cast<VstIntPtr>(reference);
}
// Any record a request takes, all at one address: p.
struct AnyRecord {
    template <class T> operator T*() { return reinterpret_cast<T*>(scratch); }
    char scratch[8] = {};
} p;
using Request = std::function<VstIntPtr(RecordingEffect&)>;
#define R(call) [&](RecordingEffect& x) { return resultOf((call)); }

// Each request made on a fresh plug-in whose host answers every opcode with
// `answer`, as "opcode:index:value:ptr:opt=result/result without a host",
// ptr written p for the record p and - for none, and results equal to H or A
// written so.
constexpr VstIntPtr H = VstIntPtr(1) << 32, A = H | 5;
std::string seen(VstIntPtr answer, const std::vector<Request>& requests) {
    const auto number = [](VstIntPtr v) {
        return v == H ? std::string("H") : v == A ? std::string("A") : std::to_string(v);
    };
    std::ostringstream text;
    for (const Request& request : requests) {
        RecordingHost host;
        for (VstInt32 opcode = 0; opcode < 50; ++opcode) {
            host.answers[opcode] = answer;
        }
        RecordingEffect effect(RecordingHost::callback), alone(nullptr);
        const VstIntPtr result = request(effect);
        for (const RecordingHost::Request& r : host.requests) {
            text << r.opcode << ':' << r.index << ':' << r.value << ':'
                 << (r.ptr == p.scratch ? "p"
                     : r.ptr            ? "?"
                                        : "-")
                 << ':' << r.opt << (r.effect == effect.getAeffect() ? "" : "(other)");
        }
        text << '=' << number(result) << '/' << number(request(alone)) << ' ';
    }
    return text.str();
}

// Every host request of both base classes: the opcode and the arguments the
// host sees, how the answer becomes the result, and the result without a
// host. The answers have bits beyond the low 32: H only those, A also 5 in
// the low 32, so that a request that should read the whole answer ("not 0",
// exactly 1, a reference) and one that should cut it to 32 bits give
// different results.
TEST(AudioEffectX, EveryHostRequestWithAndWithoutAHost) {
    // Numbers cut to 32 bits, references whole, and stored results.
    EXPECT_EQ(seen(A, {R(x.getMasterVersion()), R(x.getCurrentUniqueId()), R((x.masterIdle(), 0)),
                       R(x.tempoAt(99)), R(x.getNumAutomatableParameters()),
                       R(x.getParameterQuantization()), R((x.updateBlockSize(), x.getBlockSize())),
                       R(x.getInputLatency()), R(x.getOutputLatency()), R(x.willProcessReplacing()),
                       R(x.getCurrentProcessLevel()), R(x.getAutomationState()),
                       R(x.getHostVendorVersion()), R(x.getHostLanguage())}),
              "1:0:0:-:0=5/1 2:0:0:-:0=5/0 3:0:0:-:0=0/0 10:0:99:-:0=5/0 "
              "11:0:0:-:0=5/0 12:0:0:-:0=5/0 17:0:0:-:0=5/1024 18:0:0:-:0=5/0 "
              "19:0:0:-:0=5/0 22:0:0:-:0=5/0 23:0:0:-:0=5/0 24:0:0:-:0=5/0 "
              "34:0:0:-:0=5/0 38:0:0:-:0=5/0 ");
    EXPECT_EQ(
        seen(A, {R(x.getTimeInfo(kVstTempoValid)), R(x.getPreviousPlug(3)), R(x.getNextPlug(3)),
                 R(x.getOutputSpeakerArrangement()), R(x.hostVendorSpecific(7, 9, p, 0.5f)),
                 R(x.openWindow(p)), R(x.getDirectory()), R(x.getInputSpeakerArrangement()),
                 R((x.wantEvents(7), 0)), R((x.setOutputSamplerate(22050.0f), 0)),
                 R((x.setParameterAutomated(2, 0.25f), x.log == "setParameter(2,0.25)"))}),
        "7:0:1024:-:0=A/0 20:0:0:-:0=A/0 21:0:0:-:0=A/0 31:0:0:-:0=A/0 "
        "35:7:9:p:0.5=A/0 39:0:0:p:0=A/0 41:0:0:-:0=A/0 49:0:0:-:0=A/0 "
        "6:0:7:-:0=0/0 30:0:0:-:22050=0/0 0:2:0:-:0.25=1/1 ");
    // Answers read as "not 0" (exactly 1 for events sent), or as a pin that is
    // connected when its 32 bits are 0.
    EXPECT_EQ(seen(H, {R(x.isInputConnected(3)), R(x.isOutputConnected(4)), R(x.ioChanged()),
                       R(x.needIdle()), R(x.sizeWindow(578, 356)), R(x.offlineStart(p, 3, 2)),
                       R(x.offlineRead(p, kVstOfflinePeak, true)),
                       R(x.offlineWrite(p, kVstOfflineMarker)), R(x.offlineGetCurrentPass()),
                       R(x.offlineGetCurrentMetaPass()), R(x.getHostVendorString(p))}),
              "4:3:0:-:0=1/1 4:4:1:-:0=1/1 13:0:0:-:0=1/0 14:0:0:-:0=1/0 "
              "15:578:356:-:0=1/0 25:2:3:p:0=1/0 26:1:1:p:0=1/0 27:0:3:p:0=1/0 "
              "28:0:0:-:0=1/0 29:0:0:-:0=1/0 32:0:0:p:0=1/0 ");
    EXPECT_EQ(seen(H, {R(x.getHostProductString(p)), R(x.canHostDo(p)), R(x.closeWindow(p)),
                       R(x.updateDisplay()), R(x.beginEdit(12345)), R(x.endEdit(12345)),
                       R(x.openFileSelector(p)), R(x.closeFileSelector(p)), R(x.getChunkFile(p)),
                       R(x.sendVstEventsToHost(p)), R((x.updateBlockSize(), x.getBlockSize()))}),
              "33:0:0:p:0=1/0 37:0:0:p:0=1/0 40:0:0:p:0=1/0 42:0:0:-:0=1/0 "
              "43:12345:0:-:0=1/0 44:12345:0:-:0=1/0 45:0:0:p:0=1/0 46:0:0:p:0=1/0 "
              "48:0:0:p:0=1/0 8:0:0:p:0=0/0 17:0:0:-:0=1024/1024 ");
    // Other answers: a version of 0, a pin that is not connected, events
    // taken, a host that cannot; a sample rate taken only when positive.
    EXPECT_EQ(
        seen(1, {R(x.getMasterVersion()), R(x.isInputConnected(3)), R(x.sendVstEventsToHost(p)),
                 R((x.updateSampleRate(), VstIntPtr(x.getSampleRate())))}),
        "1:0:0:-:0=1/1 4:3:0:-:0=0/1 8:0:0:p:0=1/0 16:0:0:-:0=1/44100 ");
    EXPECT_EQ(
        seen(0, {R(x.getMasterVersion()), R(x.canHostDo(p)), R(VstIntPtr(x.updateSampleRate()))}),
        "1:0:0:-:0=1/1 37:0:0:p:0=0/0 16:0:0:-:0=44100/44100 ");
    EXPECT_EQ(seen(-5, {R(VstIntPtr(x.updateSampleRate()))}), "16:0:0:-:0=44100/44100 ");
    // Switched on, a synthesizer asks for MIDI without consulting its own
    // canDo, anything else only when canDo answers exactly 1; AudioEffect's
    // own resume asks for nothing. Null arguments are refused before the
    // host is asked.
    EXPECT_EQ(
        seen(1, {R((x.isSynth(true), x.next = -1, x.resume(), 0)), R((x.next = 1, x.resume(), 0)),
                 R((x.next = 2, x.resume(), 0)), R((x.isSynth(true), x.AudioEffect::resume(), 0)),
                 R(x.openFileSelector(nullptr)), R(x.closeFileSelector(nullptr)),
                 R(x.getChunkFile(nullptr))}),
        "6:0:1:-:0=0/0 6:0:1:-:0=0/0 =0/0 =0/0 =0/0 =0/0 =0/0 ");
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
    to->type = 3; // a match of no records reads and writes none (AddressSanitizer)
    ASSERT_TRUE(effect.matchArrangement(&from, to));
    EXPECT_EQ(std::tie(from->numChannels, from->type), std::make_tuple(0, 3));
    EXPECT_TRUE(effect.deallocateArrangement(&to) && effect.deallocateArrangement(&to));
    EXPECT_EQ(to, nullptr);
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    effect.deallocateArrangement(&from);
}

// The text operations under one signature, so that one table holds them all.
using TextOp = void (*)(AudioEffect&, double, char*, int);
const TextOp f2s = [](AudioEffect& e, double v, char* t, int n) { e.float2string(float(v), t, n); };
const TextOp i2s = [](auto& e, double v, char* t, int n) { e.int2string(VstInt32(v), t, n); };
const TextOp dB = [](AudioEffect& e, double v, char* t, int n) { e.dB2string(float(v), t, n); };
const TextOp Hz = [](AudioEffect& e, double v, char* t, int n) { e.Hz2string(float(v), t, n); };
const TextOp ms = [](AudioEffect& e, double v, char* t, int n) { e.ms2string(float(v), t, n); };

// Hz and ms at 44100 Hz. Integer parts too long for eight characters show
// "Huge!": cut, they would lose their leading digits and show another number.
TEST(DisplayText, ExampleTables) {
    const float inf = std::numeric_limits<float>::infinity();
    using Case = std::tuple<TextOp, double, int, const char*>;
    const std::vector<Case> floats = {{f2s, 0.0f, 8, "0.000000"},    {f2s, 1.5f, 8, "1.500000"},
                                      {f2s, -2.25f, 8, "-2.25000"},  {f2s, 123.456f, 8, "123.4560"},
                                      {f2s, 99.99f, 8, "99.98999"},  {f2s, 1e-5f, 8, "0.000009"},
                                      {f2s, 1234567, 8, "1234567."}, {f2s, -123456, 8, "-123456."},
                                      {f2s, 1e8, 8, "Huge!"},        {f2s, inf, 8, "Huge!"},
                                      {f2s, -inf, 8, "Huge!"},       {f2s, 9999999, 8, "9999999."},
                                      {f2s, -999999, 8, "-999999."}, {f2s, std::nan(""), 8, "NaN"},
                                      {f2s, 1.5f, 20, "1.500000"},   {f2s, 123.456f, 5, "123.4"},
                                      {f2s, -2.25f, 1, "-"},         {f2s, 1.5f, 0, ""},
                                      {f2s, 12345678, 8, "Huge!"},   {f2s, 99999999, 8, "Huge!"}};
    const std::vector<Case> units = {{f2s, -1234567, 8, "Huge!"}, {f2s, -9999999, 8, "Huge!"},
                                     {dB, 0, 8, "-oo"},           {dB, -1, 8, "-oo"},
                                     {dB, 1, 8, "0.000000"},      {dB, 10, 8, "20.00000"},
                                     {dB, 0.5f, 8, "-6.02060"},   {Hz, 0, 8, "0.000000"},
                                     {Hz, 100, 8, "441.0000"},    {ms, 441, 8, "10.00000"}};
    // clang-format off
    const std::vector<Case> integers = {
        {i2s, 7, 8, "7"},                      {i2s, -42, 8, "-42"},
        {i2s, 0, 8, "0"},                      {i2s, 99999999, 8, "99999999"},
        {i2s, 1e8, 8, "Huge!"},                {i2s, 12345, 3, "123"},
        {i2s, 1000, 8, "1000"},                {i2s, -1e9, 10, "Huge!"},
        {i2s, INT_MIN, 10, "Huge!"},           {i2s, -123456789, 10, "-123456789"},
        {i2s, -999999999, 10, "-999999999"}};
    // clang-format on
    for (const auto* cases : {&floats, &units, &integers}) {
        for (const auto& [op, value, limit, text] : *cases) {
            PlainEffect effect;
            EXPECT_EQ(boundedText(limit, [&](char* t) { op(effect, value, t, limit); }), text)
                << "value " << value << ", limit " << limit;
        }
    }
    // With no sample rate, no division.
    PlainEffect effect;
    effect.setSampleRate(0.0f);
    EXPECT_EQ(boundedText(8, [&](char* t) { ms(effect, 48, t, 8); }), "Huge!");
}

TEST(TextPrimitives, BoundedCopyAndAppendNeverRunPastTheLimit) {
    EXPECT_EQ(boundedText(8, [](char* t) { vstBoundedCopy(t, "abc", 8); }), "abc");
    EXPECT_EQ(boundedText(4, [](char* t) { vstBoundedCopy(t, nullptr, 4); }), "");
    char text[4] = "abc";
    vstBoundedCopy(nullptr, "x", 4);
    vstBoundedAppend(nullptr, "x", 4);
    vstBoundedCopy(text, "x", -1);
    vstBoundedAppend(text, "x", -1);
    EXPECT_STREQ(text, "abc");

    // A text not terminated within limit + 1 bytes is cut at the limit,
    // never searched past its buffer.
    const std::tuple<const char*, const char*, int, const char*> cases[] = {
        {"Vstx ", "1", 63, "Vstx 1"}, {"abc", "defgh", 5, "abcde"}, {"abcdef", "xyz", 6, "abcdef"},
        {"", "xyz", 2, "xy"},         {"ab", "", 4, "ab"},          {"ab", nullptr, 4, "ab"},
        {"abcdef", "x", 5, "abcde"}};
    for (const auto& [start, source, limit, result] : cases) {
        const std::string appended = boundedText(
            limit,
            [&](char* t) {
                std::memcpy(t, start, std::strlen(start) + (std::strlen(start) <= size_t(limit)));
                vstBoundedAppend(t, source, limit);
            },
            false);
        EXPECT_EQ(appended, result) << start << " + " << (source ? source : "null");
    }
}

// Hosts and the editor binding reach the plug-in object through its virtual
// table laid out in the VST 2.4 order; a slot that moves breaks binary
// compatibility with code built against that order. Each list names the
// operations of consecutive slots, so an operation inserted, removed or
// swapped anywhere fails the test. S names an operation of the class C in
// scope.
#define S(name) std::pair<const char*, long>(#name, vtableSlot(&C::name))

template <class... Slots> void expectConsecutive(long first, const Slots&... slots) {
    for (const auto& [name, slot] : {slots...}) {
        EXPECT_EQ(slot, first++) << name;
    }
}

TEST(SlotOrder, BaseClassesAndEditor) {
    {
        using C = AudioEffect;
        expectConsecutive(
            2, S(dispatcher), S(open), S(close), S(suspend), S(resume), S(setSampleRate),
            S(setBlockSize), S(processReplacing), S(processDoubleReplacing), S(setParameter),
            S(getParameter), S(setParameterAutomated), S(getProgram), S(setProgram),
            S(setProgramName), S(getProgramName), S(getParameterLabel), S(getParameterDisplay),
            S(getParameterName), S(getChunk), S(setChunk), S(setUniqueID), S(setNumInputs),
            S(setNumOutputs), S(canProcessReplacing), S(canDoubleReplacing), S(programsAreChunks),
            S(setInitialDelay), S(getEditor), S(getAeffect), S(getSampleRate), S(getBlockSize),
            S(getMasterVersion), S(getCurrentUniqueId), S(masterIdle), S(dB2string), S(Hz2string),
            S(ms2string), S(float2string), S(int2string), S(process), S(getVu), S(hasVu),
            S(hasClip), S(canMono), S(setRealtimeQualities), S(setOfflineQualities),
            S(isInputConnected), S(isOutputConnected));
        EXPECT_EQ(vtableSlot(&C::setEditor), -1);
    }
    {
        using C = AudioEffectX;
        // The overrides keep their base class slots.
        expectConsecutive(2, S(dispatcher));
        expectConsecutive(6, S(resume));
        expectConsecutive(
            51, S(canParameterBeAutomated), S(string2parameter), S(getParameterProperties),
            S(beginEdit), S(endEdit), S(getProgramNameIndexed), S(beginSetProgram),
            S(endSetProgram), S(beginLoadBank), S(beginLoadProgram), S(ioChanged),
            S(updateSampleRate), S(updateBlockSize), S(getInputLatency), S(getOutputLatency),
            S(getInputProperties), S(getOutputProperties), S(setSpeakerArrangement),
            S(getSpeakerArrangement), S(setBypass), S(setPanLaw), S(setProcessPrecision),
            S(getNumMidiInputChannels), S(getNumMidiOutputChannels), S(getTimeInfo),
            S(getCurrentProcessLevel), S(getAutomationState), S(processEvents), S(startProcess),
            S(stopProcess), S(processVariableIo), S(setTotalSampleToProcess),
            S(getHostVendorString), S(getHostProductString), S(getHostVendorVersion),
            S(hostVendorSpecific), S(canHostDo), S(getHostLanguage), S(isSynth), S(noTail),
            S(getGetTailSize), S(getDirectory), S(getEffectName), S(getVendorString),
            S(getProductString), S(getVendorVersion), S(vendorSpecific), S(canDo), S(getVstVersion),
            S(getPlugCategory), S(getMidiProgramName), S(getCurrentMidiProgram),
            S(getMidiProgramCategory), S(hasMidiProgramsChanged), S(getMidiKeyName),
            S(updateDisplay), S(sizeWindow), S(openFileSelector), S(closeFileSelector),
            S(getNextShellPlugin), S(allocateArrangement), S(deallocateArrangement), S(copySpeaker),
            S(matchArrangement), S(offlineRead), S(offlineWrite), S(offlineStart),
            S(offlineGetCurrentPass), S(offlineGetCurrentMetaPass), S(offlineNotify),
            S(offlinePrepare), S(offlineRun), S(offlineGetNumPasses), S(offlineGetNumMetaPasses),
            S(wantEvents), S(tempoAt), S(getNumAutomatableParameters), S(getParameterQuantization),
            S(getNumCategories), S(copyProgram), S(needIdle), S(getPreviousPlug), S(getNextPlug),
            S(inputConnected), S(outputConnected), S(willProcessReplacing), S(wantAsyncOperation),
            S(hasExternalBuffer), S(reportCurrentPosition), S(reportDestinationBuffer),
            S(setOutputSamplerate), S(getInputSpeakerArrangement), S(getOutputSpeakerArrangement),
            S(openWindow), S(closeWindow), S(setBlockSizeAndSampleRate), S(getErrorText),
            S(getIcon), S(setViewPosition), S(fxIdle), S(keysRequired), S(getChunkFile));
        EXPECT_EQ(vtableSlot(&C::sendVstEventsToHost), -1);
    }
    using C = AEffEditor;
    expectConsecutive(2, S(getEffect), S(getRect), S(open), S(close), S(isOpen), S(idle),
                      S(onKeyDown), S(onKeyUp), S(onWheel), S(setKnobMode));
}

} // namespace
