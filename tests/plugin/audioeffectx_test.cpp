// The extended base class: its defaults, its requests to the host and its
// speaker arrangements.
#include "recording.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

namespace {

// The extensions' neutral answers, through the dispatcher.
TEST(AudioEffectX, Defaults) {
    PlainEffect effect;
    char scratch[512] = "text"; // room for any record an opcode's pointer names
    const std::pair<VstInt32, VstIntPtr> defaults[] = {
        {effCanBeAutomated, 1},
        {effString2Parameter, 0},
        {effGetProgramNameIndexed, 0},
        {effGetOutputProperties, 0},
        {effGetPlugCategory, 0},
        {effGetVstVersion, 2400},
        {effGetCurrentMidiProgram, -1},
        {effSetTotalSampleToProcess, 512},
        {effGetTailSize, 0},
        {effCanDo, 0},
        {effGetNumMidiInputChannels, 0},
    };
    for (const auto& [opcode, answer] : defaults) {
        EXPECT_EQ(effect.dispatcher(opcode, 12345, 512, scratch, 0), answer) << opcode;
    }
    EXPECT_EQ(effect.dispatcher(effGetCurrentMidiProgram, 0, 0, nullptr, 0), -1);
    effect.isSynth(true);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);

    EXPECT_EQ(effect.getNumCategories(), 1);
    EXPECT_EQ(effect.reportDestinationBuffer(), nullptr);
    effect.setBlockSizeAndSampleRate(256, 96000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);
    EXPECT_EQ(effect.getSampleRate(), 96000.0f);

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

// A synthesizer asks every time it is switched on, without consulting its
// own canDo; anything else only when canDo answers exactly 1.
TEST(AudioEffectX, ResumeAsksForMidi) {
    for (VstIntPtr canDoAnswer : {1, 0, -1, 2}) {
        for (bool synth : {true, false}) {
            RecordingHost host;
            RecordingEffect effect(RecordingHost::callback, 1, 1);
            effect.isSynth(synth);
            effect.next = canDoAnswer;
            effect.dispatcher(effMainsChanged, 0, 1, nullptr, 0);
            EXPECT_EQ(effect.log.joined(),
                      synth ? "resume()" : "resume() canDo(receiveVstMidiEvent)");
            const bool asks = synth || canDoAnswer == 1;
            ASSERT_EQ(host.requests.size(), asks ? 1u : 0u) << canDoAnswer << synth;
            if (asks) {
                EXPECT_EQ(host.requests[0].opcode, audioMasterWantMidi);
                EXPECT_EQ(host.requests[0].value, 1);
            }
        }
    }
    // AudioEffect's own resume asks for nothing.
    RecordingHost host;
    RecordingEffect effect(RecordingHost::callback, 1, 1);
    effect.isSynth(true);
    effect.AudioEffect::resume();
    EXPECT_TRUE(host.requests.empty());
}

// What the table of every request below cannot show: stored results, other
// answers than its one example, and arguments refused before the host.
TEST(AudioEffectX, HostAnswersBeyondTheTable) {
    RecordingHost host;
    RecordingEffect effect(RecordingHost::callback, 1, 1);
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
    RecordingEffect alone(nullptr, 1, 1);
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
    host.requests.clear();
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
#define CALL(call) #call, [&](RecordingEffect & x) { return resultOf((call)); }

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
        VstInt32 opcode, index;
        VstIntPtr value;
        bool withPtr; // the host sees p
        float opt;
        VstIntPtr answer, withHost, withoutHost;
        const char* name;
        std::function<VstIntPtr(RecordingEffect&)> call;
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
            RecordingEffect effect(RecordingHost::callback, 1, 1);
            EXPECT_EQ(c.call(effect), c.withHost) << c.name;
            ASSERT_EQ(host.requests.size(), 1u) << c.name;
            const HostRequest& r = host.requests[0];
            EXPECT_EQ(std::tie(r.effect, r.opcode, r.index, r.value, r.ptr, r.opt),
                      std::make_tuple(effect.getAeffect(), c.opcode, c.index, c.value,
                                      c.withPtr ? p : nullptr, c.opt))
                << c.name;
        }
        RecordingEffect effect(nullptr, 1, 1);
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
    PlainEffect effect;

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
