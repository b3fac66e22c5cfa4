// The plug-in class linked in, over an engine that records what reaches it.
#include "plugin/vstinterface.h"

#include "../support/vtableslot.h"
#include "engine/synthengine.h"
#include "engine/synthevent.h"
#include "recording.h"
#include "vstevents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Two programs with one parameter each; process runs the event tick once
// per frame and records the notes that execute.
class RecordingEngine final : public SynthEngine {
public:
    RecordingEngine() : SynthEngine(16, 0, 2, "Test Engine", "Test Vendor", "Test Product", 7) {
        for (const char* name : {"First", "Second"}) {
            SynthProgram program(1);
            program.setName(name);
            m_programs.push_back(program);
        }
        m_pCurrentProgram = &m_programs[0];
    }
    ~RecordingEngine() = default;

    void process(float**, float** outputs, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i) {
            m_frame = i;
            eventQueueTick(m_pEventQueue);
            outputs[0][i] = 0.0f;
            outputs[1][i] = 0.0f;
        }
    }
    void setProgram(int32_t index) override {
        programCalls.push_back(index);
        SynthEngine::setProgram(index);
    }
    void noteOn(int32_t note, int32_t velocity) override {
        notes.push_back("on " + std::to_string(note) + " " + std::to_string(velocity) + " @" +
                        std::to_string(m_frame));
    }
    void noteOff(int32_t note) override {
        notes.push_back("off " + std::to_string(note) + " @" + std::to_string(m_frame));
    }
    void pitchBend(float amount) override { notes.push_back("bend " + std::to_string(amount)); }

    std::vector<std::string> notes;
    std::vector<int32_t> programCalls;

private:
    int32_t m_frame = 0;
};

void processBlock(VstInterface& plugin, int frames) {
    std::vector<float> left(static_cast<std::size_t>(frames));
    std::vector<float> right(static_cast<std::size_t>(frames));
    float* outputs[2] = {left.data(), right.data()};
    plugin.getAeffect()->processReplacing(plugin.getAeffect(), nullptr, outputs, frames);
}

TEST(VstInterface, ConstructionWithAndWithoutAHost) {
    RecordingEngine engine;
    for (bool withHost : {true, false}) {
        RecordingHost host;
        VstInterface plugin(withHost ? RecordingHost::callback : nullptr, engine, 61547);
        const AEffect* e = plugin.getAeffect();
        EXPECT_EQ(e->numPrograms, 2);
        EXPECT_EQ(e->numParams, 1);
        // Without a host the record keeps the base class's values.
        EXPECT_EQ(e->numInputs, withHost ? 0 : 1);
        EXPECT_EQ(e->uniqueID, withHost ? 61547 : 0x4E6F4566);
        EXPECT_EQ(e->flags,
                  withHost ? effFlagsCanReplacing | effFlagsIsSynth : effFlagsCanReplacing);
    }
    EXPECT_EQ(engine.programCalls, (std::vector<int32_t>{0, 0}));
    // The engine was not the plug-in's to delete.
    EXPECT_EQ(engine.m_programs.size(), 2u);
}

TEST(VstInterface, MidiReachesTheEngineMaskedAtItsOffsets) {
    RecordingHost host;
    RecordingEngine engine;
    VstInterface plugin(RecordingHost::callback, engine, 1);
    EventList list({
        midiEvent(0x94, 60, 100, 0),
        midiEvent(0x9F, 0xC0, 0xFF, 3),
        midiEvent(0x83, 60, 0x7F, 5),
        midiEvent(0x90, 61, 0x80, 6),
        midiEvent(0xE2, 0x7F, 0x7F, 7),
        midiEvent(0xC0, 1, 0, 8),
    });
    VstEvent other{};
    other.type = kVstSysExType;
    list.setEntries({list.entry(0), &other, list.entry(1), nullptr, list.entry(2), list.entry(3),
                     list.entry(4), list.entry(5)});
    EXPECT_EQ(plugin.dispatcher(effProcessEvents, 0, 0, list.list, 0), 1);
    processBlock(plugin, 16);

    // What the shell must hand over: status without its channel, data bytes
    // cut to seven bits, offsets unchanged, in the host's order.
    RecordingEngine reference;
    reference.handleMidi(0x90, 60, 100, 0);
    reference.handleMidi(0x90, 0x40, 0x7F, 3);
    reference.handleMidi(0x80, 60, 0x7F, 5);
    reference.handleMidi(0x90, 61, 0, 6);
    reference.handleMidi(0xE0, 0x7F, 0x7F, 7);
    reference.handleMidi(0xC0, 1, 0, 8);
    float left[16];
    float right[16];
    float* outputs[2] = {left, right};
    reference.process(nullptr, outputs, 16);
    EXPECT_EQ(engine.notes, reference.notes);
    ASSERT_EQ(engine.notes.size(), 5u);
    EXPECT_EQ(engine.notes[1].rfind("on 64 127 ", 0), 0u) << engine.notes[1];
    EXPECT_EQ(engine.m_pCurrentProgram, &engine.m_programs[0]);
}

// One time request per rendered block, with the tempo filter; a tempo only
// from an answer that carries one.
TEST(VstInterface, TempoFromTheHostOncePerBlock) {
    RecordingHost host;
    RecordingEngine engine;
    VstInterface plugin(RecordingHost::callback, engine, 1);
    VstTimeInfo time{};
    time.tempo = 140.6;
    time.flags = kVstPpqPosValid; // no tempo
    host.answers[audioMasterGetTime] = reinterpret_cast<VstIntPtr>(&time);
    processBlock(plugin, 8);
    EXPECT_EQ(engine.m_tempo, 120.0f);
    time.flags = kVstTempoValid;
    processBlock(plugin, 8);
    EXPECT_EQ(engine.m_tempo, static_cast<float>(140.6));
    host.answers[audioMasterGetTime] = 0;
    processBlock(plugin, 8);
    EXPECT_EQ(engine.m_tempo, static_cast<float>(140.6));
    // Blocks of no frames are not rendered and ask nothing.
    processBlock(plugin, 0);
    plugin.getAeffect()->processReplacing(plugin.getAeffect(), nullptr, nullptr, -4);
    ASSERT_EQ(host.requests.size(), 3u);
    for (const HostRequest& r : host.requests) {
        EXPECT_EQ(r.opcode, audioMasterGetTime);
        EXPECT_EQ(r.value, kVstTempoValid);
    }
}

TEST(VstInterface, ProgramsRatesAndTexts) {
    RecordingEngine engine;
    VstInterface plugin(nullptr, engine, 1);
    // Called directly, past the dispatcher's bound, a program out of range
    // never reaches the engine.
    plugin.setProgram(1);
    plugin.setProgram(2);
    plugin.setProgram(-1);
    EXPECT_EQ(engine.programCalls, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(plugin.getProgram(), 1);
    EXPECT_EQ(engine.m_pCurrentProgram, &engine.m_programs[1]);

    plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(plugin.getSampleRate(), 48000.0f);
    EXPECT_EQ(engine.m_sampleRate, 48000.0f);
    plugin.dispatcher(effSetBlockSize, 0, 64, nullptr, 0);
    EXPECT_EQ(plugin.getBlockSize(), 64);

    // Renaming changes the current program only.
    char name[] = "Renamed";
    plugin.dispatcher(effSetProgramName, 0, 0, name, 0);
    EXPECT_EQ(engine.m_programs[1].m_name, "Renamed");
    EXPECT_EQ(engine.m_programs[0].m_name, "First");
    char text[65];
    EXPECT_EQ(plugin.dispatcher(effGetProgramNameIndexed, 0, 0, text, 0), 1);
    EXPECT_STREQ(text, "First");

    EXPECT_EQ(plugin.dispatcher(effGetVendorVersion, 0, 0, nullptr, 0), 7);
}

TEST(VstInterface, CopyProgramIsAStubInANewSlot) {
    RecordingEngine engine;
    VstInterface plugin(nullptr, engine, 1);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(plugin.copyProgram());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "STUB: VstInterface::copyProgram\n");
    // The deprecated opcode does not reach it.
    EXPECT_EQ(plugin.dispatcher(effCopyProgram, 0, 0, nullptr, 0), 0);

    bool (VstInterface::*own)() = &VstInterface::copyProgram;
    EXPECT_EQ(vtableSlot(own), 153);
}

TEST(VstInterface, OwnedEngineGoesWithThePlugin) {
    static int destroyedEngines = 0;
    RecordingHost host;
    auto* engine = new RecordingEngine;
    auto* plugin = new VstInterface(RecordingHost::callback, *engine, 1);
    plugin->ownEngine([](SynthEngine* e) {
        ++destroyedEngines;
        delete static_cast<RecordingEngine*>(e);
    });
    AEffect* e = plugin->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(destroyedEngines, 1);
}

} // namespace
