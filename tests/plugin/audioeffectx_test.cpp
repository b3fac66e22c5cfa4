#include "plugin/audioeffectx.h"

#include "recordingeffect.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

using PlainEffectX = PlainEffect<AudioEffectX>;

constexpr VstInt32 kPrograms = 4;

TEST(AudioEffectX, DispatcherTable) {
    VstSpeakerArrangement input{};
    input.numChannels = 3;
    std::vector<DispatchCase> cases = {
        // The whole value: a reference cut to 32 bits would not reach the record.
        {effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), true, 0, 1, 1,
         "setSpeakerArrangement(3,0)"},
        {effProcessEvents, 0, 0, true, 0, 1, 1, "processEvents(0)"},
        {effCanBeAutomated, 3, 0, false, 0, 1, 1, "canParameterBeAutomated(3)"},
        {effCanBeAutomated, 3, 0, false, 0, 0, 0, "canParameterBeAutomated(3)"},
        {effString2Parameter, 1, 0, true, 0, 1, 1, "string2parameter(1,text)"},
        {effGetProgramNameIndexed, 5, 9, true, 0, 1, 1, "getProgramNameIndexed(9,5)"},
        {effGetInputProperties, 1, 0, true, 0, 1, 1, "getInputProperties(1)"},
        {effGetOutputProperties, 1, 0, true, 0, 0, 0, "getOutputProperties(1)"},
        {effGetPlugCategory, 0, 0, false, 0, 2, 2, "getPlugCategory()"},
        {effOfflineNotify, 1, 3, true, 0, 1, 1, "offlineNotify(3,1)"},
        {effOfflineNotify, 0, 3, true, 0, 1, 1, "offlineNotify(3,0)"},
        {effOfflinePrepare, 0, 4, true, 0, 1, 1, "offlinePrepare(4)"},
        {effOfflineRun, 0, 4, true, 0, 0, 0, "offlineRun(4)"},
        {effProcessVarIo, 0, 0, true, 0, 1, 1, "processVariableIo()"},
        {effSetBypass, 0, 2, false, 0, 1, 1, "setBypass(1)"},
        {effSetBypass, 0, 0, false, 0, 0, 0, "setBypass(0)"},
        {effGetEffectName, 0, 0, true, 0, 1, 1, "getEffectName()"},
        {effGetVendorString, 0, 0, true, 0, 1, 1, "getVendorString()"},
        {effGetProductString, 0, 0, true, 0, 1, 1, "getProductString()"},
        {effGetVendorVersion, 0, 0, false, 0, -2, -2, "getVendorVersion()"},
        {effVendorSpecific, 7, VstIntPtr(1) << 40, true, 0.5f, VstIntPtr(1) << 33,
         VstIntPtr(1) << 33, "vendorSpecific(7,1099511627776,0.5)"},
        {effCanDo, 0, 0, true, 0, -1, -1, "canDo(text)"},
        {effGetTailSize, 0, 0, false, 0, 99, 99, "getGetTailSize()"},
        {effGetParameterProperties, 1, 0, true, 0, 1, 1, "getParameterProperties(1)"},
        {effGetVstVersion, 0, 0, false, 0, 2400, 2400, "getVstVersion()"},
        {effGetMidiProgramName, 3, 0, true, 0, 5, 5, "getMidiProgramName(3)"},
        {effGetCurrentMidiProgram, 3, 0, true, 0, -1, -1, "getCurrentMidiProgram(3)"},
        // Answered without a record too: 0 would name a real program.
        {effGetCurrentMidiProgram, 3, 0, false, 0, -1, -1, "getCurrentMidiProgram(3)"},
        {effGetMidiProgramCategory, 3, 0, true, 0, 2, 2, "getMidiProgramCategory(3)"},
        {effHasMidiProgramsChanged, 3, 0, false, 0, 1, 1, "hasMidiProgramsChanged(3)"},
        {effGetMidiKeyName, 3, 0, true, 0, 1, 1, "getMidiKeyName(3)"},
        {effBeginSetProgram, 0, 0, false, 0, 1, 1, "beginSetProgram()"},
        {effEndSetProgram, 0, 0, false, 0, 1, 1, "endSetProgram()"},
        // One reference given is still written through.
        {effGetSpeakerArrangement, 0, 0, true, 0, 0, 0, "getSpeakerArrangement()"},
        {effShellGetNextPlugin, 0, 0, true, 0, 6, 6, "getNextShellPlugin()"},
        {effStartProcess, 0, 0, false, 0, 1, 1, "startProcess()"},
        {effStopProcess, 0, 0, false, 0, 1, 1, "stopProcess()"},
        {effSetTotalSampleToProcess, 0, 512, false, 0, 512, 512, "setTotalSampleToProcess(512)"},
        {effSetPanLaw, 0, 1, false, 0.5f, 1, 1, "setPanLaw(1,0.5)"},
        {effBeginLoadBank, 0, 0, true, 0, -1, -1, "beginLoadBank()"},
        {effBeginLoadProgram, 0, 0, true, 0, 1, 1, "beginLoadProgram()"},
        {effSetProcessPrecision, 0, 1, false, 0, 1, 1, "setProcessPrecision(1)"},
        {effGetNumMidiInputChannels, 0, 0, false, 0, 16, 16, "getNumMidiInputChannels()"},
        {effGetNumMidiOutputChannels, 0, 0, false, 0, 0, 0, "getNumMidiOutputChannels()"},
        // The basic opcodes still answer as AudioEffect's dispatcher does.
        {effIdentify, 0, 0, false, 0, 0, 0x4E764566, ""},
        {effSetProgram, 0, 2, false, 0, 0, 0, "setProgram(2)"},
        {effSetProgram, 0, kPrograms, false, 0, 0, 0, ""},
        {effMainsChanged, 0, 0, false, 0, 0, 0, "suspend()"},
    };
    // Deprecated and unknown opcodes, and those without the editor they
    // need, reach nothing although every operation would answer 1; so do
    // opcodes that need a pointer and get none.
    for (VstInt32 opcode : std::initializer_list<VstInt32>{
             effGetNumProgramCategories, effCopyProgram, effConnectInput, effConnectOutput,
             effGetCurrentPosition, effGetDestinationBuffer, effSetBlockSizeAndSampleRate,
             effGetErrorText, effIdle, effGetIcon, effSetViewPosition, effKeysRequired,
             effEditKeyDown, effEditKeyUp, effSetEditKnobMode, 80, 200, -5}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 1, 0, ""});
    }
    for (VstInt32 opcode : {effProcessEvents, effString2Parameter, effGetProgramNameIndexed,
                            effGetOutputProperties, effCanDo}) {
        cases.push_back({opcode, 1, 1, false, 0, 1, 0, ""});
    }
    expectDispatches<RecordingEffectX>(kPrograms, cases);
}

TEST(AudioEffectX, Defaults) {
    PlainEffectX effect;
    // Room for any record an opcode's pointer names.
    char scratch[512] = "text";
    struct Default {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        VstIntPtr answer;
    };
    const Default defaults[] = {
        {effCanBeAutomated, 12345, 0, 1},
        {effString2Parameter, 0, 0, 0},
        {effGetProgramNameIndexed, 0, 0, 0},
        {effGetOutputProperties, 0, 0, 0},
        {effGetPlugCategory, 0, 0, kPlugCategUnknown},
        {effGetVstVersion, 0, 0, 2400},
        {effGetCurrentMidiProgram, 0, 0, -1},
        {effSetTotalSampleToProcess, 0, 512, 512},
        {effGetTailSize, 0, 0, 0},
        {effCanDo, 0, 0, 0},
        {effGetNumMidiInputChannels, 0, 0, 0},
        {effEditKeyDown, 65, 300, 0},
        {effSetEditKnobMode, 0, 1, 0},
    };
    for (const Default& d : defaults) {
        EXPECT_EQ(effect.dispatcher(d.opcode, d.index, d.value, scratch, 0), d.answer)
            << "opcode " << d.opcode;
    }
    effect.isSynth(true);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
    effect.isSynth(false);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategUnknown);

    EXPECT_EQ(effect.getNumCategories(), 1);
    EXPECT_EQ(effect.reportDestinationBuffer(), nullptr);
    effect.setBlockSizeAndSampleRate(256, 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);

    EXPECT_EQ(effect.dispatcher(effGetCurrentMidiProgram, 0, 0, nullptr, 0), -1);

    // No arrangement of its own: every reference the host gives is cleared,
    // whether or not the other one is given.
    VstSpeakerArrangement dummy{};
    for (int given = 0; given < 4; ++given) {
        VstSpeakerArrangement* in = &dummy;
        VstSpeakerArrangement* out = &dummy;
        const VstIntPtr inRef = given & 1 ? reinterpret_cast<VstIntPtr>(&in) : 0;
        EXPECT_EQ(
            effect.dispatcher(effGetSpeakerArrangement, 0, inRef, given & 2 ? &out : nullptr, 0),
            0);
        EXPECT_EQ(in == nullptr, (given & 1) != 0) << given;
        EXPECT_EQ(out == nullptr, (given & 2) != 0) << given;
    }
}

TEST(AudioEffectX, KeyOpcodesBuildTheKeyRecord) {
    CallLog log;
    RecordingEffectX effect(nullptr, 1, 1);
    auto* editor = new RecordingEditor(&effect, log);
    effect.setEditor(editor);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 65, 300, nullptr, 2.9f), 1);
    EXPECT_EQ(effect.dispatcher(effEditKeyUp, 66, 0x1FF, nullptr, 258.5f), 1);
    editor->next = false;
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 1, 0, nullptr, -1.0f), 0);
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 0, 2, nullptr, 0), 0);
    // A modifier no integer holds is no modifier rather than undefined.
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 2, 0, nullptr, 1e30f), 0);
    EXPECT_EQ(log.joined(), "editor.onKeyDown(65,44,2) editor.onKeyUp(66,255,2) "
                            "editor.onKeyDown(1,0,255) editor.setKnobMode(2) "
                            "editor.onKeyDown(2,0,0)");
}

TEST(AudioEffectX, ResumeAsksForMidi) {
    RecordingHost host;
    {
        // A synthesizer asks every time, without consulting its own canDo.
        RecordingEffectX synth(RecordingHost::callback, 1, 1);
        synth.isSynth(true);
        synth.next = -1;
        synth.dispatcher(effMainsChanged, 0, 1, nullptr, 0);
        synth.dispatcher(effMainsChanged, 0, 1, nullptr, 0);
        EXPECT_EQ(synth.log.joined(), "resume() resume()");
        const auto wants = host.withOpcode(audioMasterWantMidi);
        ASSERT_EQ(wants.size(), 2u);
        EXPECT_EQ(wants[0].value, 1);
        EXPECT_EQ(wants[0].effect, synth.getAeffect());
    }
    for (VstIntPtr canDoAnswer : {VstIntPtr(1), VstIntPtr(0), VstIntPtr(-1), VstIntPtr(2)}) {
        host.clear();
        RecordingEffectX effect(RecordingHost::callback, 1, 1);
        effect.next = canDoAnswer;
        effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0);
        EXPECT_EQ(effect.log.joined(), "resume() canDo(receiveVstMidiEvent)");
        EXPECT_EQ(host.withOpcode(audioMasterWantMidi).size(), canDoAnswer == 1 ? 1u : 0u)
            << canDoAnswer;
    }
}

// What the table of every request below cannot show: stored results, other
// answers than its one example, and arguments refused before the host.
TEST(AudioEffectX, HostAnswersBeyondTheTable) {
    RecordingHost host;
    RecordingEffectX effect(RecordingHost::callback, 1, 1);
    EXPECT_TRUE(host.requests.empty()) << "construction asked the host";
    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(effect.getMasterVersion(), 1);
    host.answers[audioMasterPinConnected] = 1;
    EXPECT_FALSE(effect.isInputConnected(3));
    char text[] = "sizeWindow";
    EXPECT_EQ(effect.canHostDo(text), 0);
    EXPECT_FALSE(effect.endEdit(0));
    host.answers[audioMasterProcessEvents] = 1;
    VstEvents events{};
    EXPECT_TRUE(effect.sendVstEventsToHost(&events));

    effect.setParameterAutomated(2, 0.75f);
    EXPECT_EQ(effect.log.joined(), "setParameter(2,0.75)");
    RecordingEffectX alone(nullptr, 1, 1);
    alone.setParameterAutomated(1, 0.5f);
    EXPECT_EQ(alone.log.joined(), "setParameter(1,0.5)");

    // Only a rate or size the host knows replaces the stored one.
    EXPECT_EQ(alone.updateSampleRate(), 44100.0);
    for (VstIntPtr answer : {48000, 0, -5}) {
        host.answers[audioMasterGetSampleRate] = answer;
        EXPECT_EQ(effect.updateSampleRate(), 48000.0) << answer;
        EXPECT_EQ(effect.getSampleRate(), 48000.0f) << answer;
    }
    for (VstIntPtr answer : {256, 0}) {
        host.answers[audioMasterGetBlockSize] = answer;
        EXPECT_EQ(effect.updateBlockSize(), 256) << answer;
        EXPECT_EQ(effect.getBlockSize(), 256) << answer;
    }

    // Null arguments are refused before the host is asked.
    host.answers[audioMasterOpenFileSelector] = 1;
    host.answers[audioMasterCloseFileSelector] = 1;
    host.answers[audioMasterGetChunkFile] = 1;
    host.clear();
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_FALSE(effect.closeFileSelector(nullptr));
    EXPECT_FALSE(effect.getChunkFile(nullptr));
    EXPECT_TRUE(host.requests.empty());
}

// Every host request of both base classes: the opcode and the arguments the
// host sees, how the answer becomes the result, and the default without a
// host. The host's answers have bits beyond the low 32: a request that should
// read the whole answer ("not 0", exactly 1, a reference) and one that should
// cut it to 32 bits give different results for them.
// A request's result as a number (a request with no result is written
// with ", 0"), and the request's text for the messages.
VstIntPtr resultOf(VstIntPtr value) {
    return value;
}
VstIntPtr resultOf(const void* reference) {
    return reinterpret_cast<VstIntPtr>(reference);
}
#define CALL(call) #call, [&](RecordingEffectX & x) { return resultOf((call)); }

TEST(AudioEffectX, EveryHostRequestWithAndWithoutAHost) {
    // H: bits beyond the low 32 only; A: those and 5 in the low 32.
    constexpr VstIntPtr H = VstIntPtr(1) << 32;
    constexpr VstIntPtr A = H | 5;
    char scratch[8] = {};
    void* const p = scratch;
    auto* const events = static_cast<VstEvents*>(p);
    auto* const file = static_cast<VstAudioFile*>(p);
    auto* const task = static_cast<VstOfflineTask*>(p);
    auto* const window = static_cast<VstWindow*>(p);
    auto* const select = static_cast<VstFileSelect*>(p);
    struct Case {
        VstInt32 opcode;
        VstInt32 index;
        VstIntPtr value;
        bool withPtr; // the host sees p
        float opt;
        VstIntPtr answer;
        VstIntPtr withHost;
        VstIntPtr withoutHost;
        const char* name;
        std::function<VstIntPtr(RecordingEffectX&)> call;
    };
    const Case cases[] = {
        {audioMasterVersion, 0, 0, 0, 0, A, 5, 1, CALL(x.getMasterVersion())},
        {audioMasterCurrentId, 0, 0, 0, 0, A, 5, 0, CALL(x.getCurrentUniqueId())},
        {audioMasterIdle, 0, 0, 0, 0, A, 0, 0, CALL((x.masterIdle(), 0))},
        {audioMasterPinConnected, 3, 0, 0, 0, H, 1, 1, CALL(x.isInputConnected(3))},
        {audioMasterPinConnected, 4, 1, 0, 0, H, 1, 1, CALL(x.isOutputConnected(4))},
        {audioMasterAutomate, 2, 0, 0, 0.25f, A, 0, 0,
         CALL((x.setParameterAutomated(2, 0.25f), 0))},
        {audioMasterWantMidi, 0, 7, 0, 0, A, 0, 0, CALL((x.wantEvents(7), 0))},
        {audioMasterGetTime, 0, kVstTempoValid, 0, 0, A, A, 0, CALL(x.getTimeInfo(kVstTempoValid))},
        {audioMasterProcessEvents, 0, 0, 1, 0, H | 1, 0, 0, CALL(x.sendVstEventsToHost(events))},
        {audioMasterTempoAt, 0, 99, 0, 0, A, 5, 0, CALL(x.tempoAt(99))},
        {audioMasterGetNumAutomatableParameters, 0, 0, 0, 0, A, 5, 0,
         CALL(x.getNumAutomatableParameters())},
        {audioMasterGetParameterQuantization, 0, 0, 0, 0, A, 5, 0,
         CALL(x.getParameterQuantization())},
        {audioMasterIOChanged, 0, 0, 0, 0, H, 1, 0, CALL(x.ioChanged())},
        {audioMasterNeedIdle, 0, 0, 0, 0, H, 1, 0, CALL(x.needIdle())},
        {audioMasterSizeWindow, 578, 356, 0, 0, H, 1, 0, CALL(x.sizeWindow(578, 356))},
        {audioMasterGetBlockSize, 0, 0, 0, 0, A, 5, 1024, CALL(x.updateBlockSize())},
        {audioMasterGetInputLatency, 0, 0, 0, 0, A, 5, 0, CALL(x.getInputLatency())},
        {audioMasterGetOutputLatency, 0, 0, 0, 0, A, 5, 0, CALL(x.getOutputLatency())},
        {audioMasterGetPreviousPlug, 0, 0, 0, 0, A, A, 0, CALL(x.getPreviousPlug(3))},
        {audioMasterGetNextPlug, 0, 0, 0, 0, A, A, 0, CALL(x.getNextPlug(3))},
        {audioMasterWillReplaceOrAccumulate, 0, 0, 0, 0, A, 5, 0, CALL(x.willProcessReplacing())},
        {audioMasterGetCurrentProcessLevel, 0, 0, 0, 0, A, 5, 0, CALL(x.getCurrentProcessLevel())},
        {audioMasterGetAutomationState, 0, 0, 0, 0, A, 5, 0, CALL(x.getAutomationState())},
        {audioMasterOfflineStart, 2, 3, 1, 0, H, 1, 0, CALL(x.offlineStart(file, 3, 2))},
        {audioMasterOfflineRead, 1, kVstOfflinePeak, 1, 0, H, 1, 0,
         CALL(x.offlineRead(task, kVstOfflinePeak, true))},
        {audioMasterOfflineWrite, 0, kVstOfflineMarker, 1, 0, H, 1, 0,
         CALL(x.offlineWrite(task, kVstOfflineMarker))},
        {audioMasterOfflineGetCurrentPass, 0, 0, 0, 0, H, 1, 0, CALL(x.offlineGetCurrentPass())},
        {audioMasterOfflineGetCurrentMetaPass, 0, 0, 0, 0, H, 1, 0,
         CALL(x.offlineGetCurrentMetaPass())},
        {audioMasterSetOutputSampleRate, 0, 0, 0, 22050.0f, A, 0, 0,
         CALL((x.setOutputSamplerate(22050.0f), 0))},
        {audioMasterGetOutputSpeakerArrangement, 0, 0, 0, 0, A, A, 0,
         CALL(x.getOutputSpeakerArrangement())},
        {audioMasterGetVendorString, 0, 0, 1, 0, H, 1, 0, CALL(x.getHostVendorString(scratch))},
        {audioMasterGetProductString, 0, 0, 1, 0, H, 1, 0, CALL(x.getHostProductString(scratch))},
        {audioMasterGetVendorVersion, 0, 0, 0, 0, A, 5, 0, CALL(x.getHostVendorVersion())},
        {audioMasterVendorSpecific, 7, 9, 1, 0.5f, A, A, 0,
         CALL(x.hostVendorSpecific(7, 9, p, 0.5f))},
        {audioMasterCanDo, 0, 0, 1, 0, H, 1, 0, CALL(x.canHostDo(scratch))},
        {audioMasterGetLanguage, 0, 0, 0, 0, A, 5, 0, CALL(x.getHostLanguage())},
        {audioMasterOpenWindow, 0, 0, 1, 0, A, A, 0, CALL(x.openWindow(window))},
        {audioMasterCloseWindow, 0, 0, 1, 0, H, 1, 0, CALL(x.closeWindow(window))},
        {audioMasterGetDirectory, 0, 0, 0, 0, A, A, 0, CALL(x.getDirectory())},
        {audioMasterUpdateDisplay, 0, 0, 0, 0, H, 1, 0, CALL(x.updateDisplay())},
        {audioMasterBeginEdit, 12345, 0, 0, 0, H, 1, 0, CALL(x.beginEdit(12345))},
        {audioMasterEndEdit, 12345, 0, 0, 0, H, 1, 0, CALL(x.endEdit(12345))},
        {audioMasterOpenFileSelector, 0, 0, 1, 0, H, 1, 0, CALL(x.openFileSelector(select))},
        {audioMasterCloseFileSelector, 0, 0, 1, 0, H, 1, 0, CALL(x.closeFileSelector(select))},
        {audioMasterGetChunkFile, 0, 0, 1, 0, H, 1, 0, CALL(x.getChunkFile(p))},
        {audioMasterGetInputSpeakerArrangement, 0, 0, 0, 0, A, A, 0,
         CALL(x.getInputSpeakerArrangement())},
    };
    for (const Case& c : cases) {
        {
            RecordingHost host;
            host.answers[c.opcode] = c.answer;
            RecordingEffectX effect(RecordingHost::callback, 1, 1);
            EXPECT_EQ(c.call(effect), c.withHost) << c.name;
            ASSERT_EQ(host.requests.size(), 1u) << c.name;
            const HostRequest& r = host.requests[0];
            EXPECT_EQ(r.effect, effect.getAeffect()) << c.name;
            EXPECT_EQ(r.opcode, c.opcode) << c.name;
            EXPECT_EQ(r.index, c.index) << c.name;
            EXPECT_EQ(r.value, c.value) << c.name;
            EXPECT_EQ(r.ptr, c.withPtr ? p : nullptr) << c.name;
            EXPECT_EQ(r.opt, c.opt) << c.name;
        }
        RecordingEffectX effect(nullptr, 1, 1);
        EXPECT_EQ(c.call(effect), c.withoutHost) << c.name << " without a host";
    }
}

// An arrangement of n channels: one block sized for exactly n records.
VstSpeakerArrangement* makeArrangement(VstInt32 channels, VstInt32 type) {
    auto* a = static_cast<VstSpeakerArrangement*>(std::calloc(
        1, offsetof(VstSpeakerArrangement, speakers) + channels * sizeof(VstSpeakerProperties)));
    a->type = type;
    a->numChannels = channels;
    return a;
}

VstSpeakerProperties* speaker(VstSpeakerArrangement* a, int i) {
    VstSpeakerProperties* first = a->speakers;
    return first + i;
}

TEST(AudioEffectX, SpeakerArrangements) {
    PlainEffectX effect;

    VstSpeakerArrangement* from = makeArrangement(2, 1);
    for (int i = 0; i < 2; ++i) {
        VstSpeakerProperties* s = speaker(from, i);
        std::memset(s->name, 'A' + i, sizeof s->name); // 64 characters, no NUL
        s->type = 10 + i;
        s->azimuth = 0.5f * static_cast<float>(i);
        s->elevation = 1.0f;
        s->radius = 2.0f;
        s->reserved = 3.0f;
        std::memset(s->future, 7 + i, sizeof s->future);
    }
    VstSpeakerArrangement* to = makeArrangement(12, 0); // replaced, not leaked
    ASSERT_TRUE(effect.matchArrangement(&to, from));
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->type, 1);
    EXPECT_EQ(to->numChannels, 2);
    for (int i = 0; i < 2; ++i) {
        VstSpeakerProperties* s = speaker(to, i);
        EXPECT_EQ(std::string(s->name), std::string(63, static_cast<char>('A' + i)));
        EXPECT_EQ(s->type, 10 + i);
        EXPECT_EQ(s->azimuth, 0.5f * static_cast<float>(i));
        EXPECT_EQ(s->reserved, 3.0f);
        EXPECT_EQ(s->future[27], 7 + i);
    }

    EXPECT_FALSE(effect.matchArrangement(&to, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, speaker(from, 0)));
    EXPECT_FALSE(effect.copySpeaker(speaker(to, 0), nullptr));

    // A request that cannot be met frees the old block and leaves no
    // reference to it.
    EXPECT_FALSE(effect.allocateArrangement(&to, -1));
    EXPECT_EQ(to, nullptr);
    ASSERT_TRUE(effect.allocateArrangement(&to, 0));
    EXPECT_EQ(to->numChannels, 0);
    EXPECT_EQ(to->type, 0);
    EXPECT_TRUE(effect.deallocateArrangement(&to));
    EXPECT_EQ(to, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&to));
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
    std::free(from);
}

} // namespace
