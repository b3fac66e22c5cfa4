// The plug-in class linked in, over an engine that records what reaches it.
#include "plugin/vstinterface.h"

#include "engine/samplerengine.h"
#include "engine/synthengine.h"
#include "engine/synthevent.h"
#include "recordinghost.h"

#include <gtest/gtest.h>

#include <cstring>
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
        ++processCalls;
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
    int processCalls = 0;

private:
    int32_t m_frame = 0;
};

VstMidiEvent midi(int status, int data1, int data2, int delta) {
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof e;
    e.deltaFrames = delta;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
    return e;
}

struct Events {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[8];
};

void processBlock(VstInterface& plugin, int frames) {
    std::vector<float> left(static_cast<std::size_t>(frames));
    std::vector<float> right(static_cast<std::size_t>(frames));
    float* outputs[2] = {left.data(), right.data()};
    plugin.getAeffect()->processReplacing(plugin.getAeffect(), nullptr, outputs, frames);
}

TEST(VstInterface, ConstructionWithAndWithoutAHost) {
    RecordingHost host;
    RecordingEngine engine;
    {
        VstInterface plugin(RecordingHost::callback, engine, 61547);
        const AEffect* e = plugin.getAeffect();
        EXPECT_EQ(e->numPrograms, 2);
        EXPECT_EQ(e->numParams, 1);
        EXPECT_EQ(e->numInputs, 0);
        EXPECT_EQ(e->numOutputs, 2);
        EXPECT_EQ(e->uniqueID, 61547);
        EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsIsSynth);
        EXPECT_EQ(engine.programCalls, std::vector<int32_t>{0});
        EXPECT_EQ(plugin.m_pSynthEngine, &engine);
    }
    {
        // Without a host the record keeps the base class's values.
        VstInterface plugin(nullptr, engine, 61547);
        const AEffect* e = plugin.getAeffect();
        EXPECT_EQ(e->numInputs, 1);
        EXPECT_EQ(e->uniqueID, 0x4E6F4566);
        EXPECT_EQ(e->flags, effFlagsCanReplacing);
    }
    // The engine was not the plug-in's to delete.
    EXPECT_EQ(engine.m_programs.size(), 2u);
}

TEST(VstInterface, MidiReachesTheEngineMaskedAtItsOffsets) {
    RecordingHost host;
    RecordingEngine engine;
    VstInterface plugin(RecordingHost::callback, engine, 1);
    VstMidiEvent events[] = {
        midi(0x94, 60, 100, 0),  midi(0x9F, 0xC0, 0xFF, 3), midi(0x83, 60, 0x7F, 5),
        midi(0x90, 61, 0x80, 6), midi(0xE2, 0x7F, 0x7F, 7), midi(0xC0, 1, 0, 8),
    };
    VstEvent other{};
    other.type = kVstSysExType;
    Events list{};
    list.events[0] = reinterpret_cast<VstEvent*>(&events[0]);
    list.events[1] = &other;
    list.events[2] = reinterpret_cast<VstEvent*>(&events[1]);
    list.events[3] = nullptr;
    for (int i = 2; i < 6; ++i) {
        list.events[i + 2] = reinterpret_cast<VstEvent*>(&events[i]);
    }
    list.numEvents = 8;
    EXPECT_EQ(plugin.dispatcher(effProcessEvents, 0, 0, &list, 0), 1);
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

TEST(VstInterface, TempoOnlyFromTimeInformationThatCarriesIt) {
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
    const auto requests = host.withOpcode(audioMasterGetTime);
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.value, kVstTempoValid);
        EXPECT_EQ(request.index, 0);
        EXPECT_EQ(request.ptr, nullptr);
    }
    EXPECT_EQ(engine.processCalls, 3);
}

TEST(VstInterface, EmptyBlocksTouchNothing) {
    RecordingHost host;
    RecordingEngine engine;
    VstInterface plugin(RecordingHost::callback, engine, 1);
    float left[2] = {7, 7};
    float* outputs[2] = {left, left};
    plugin.processReplacing(nullptr, outputs, 0);
    plugin.processReplacing(nullptr, outputs, -1);
    plugin.processReplacing(nullptr, nullptr, 2);
    EXPECT_EQ(engine.processCalls, 0);
    EXPECT_TRUE(host.withOpcode(audioMasterGetTime).empty());
    EXPECT_EQ(left[0], 7.0f);
}

TEST(VstInterface, ProgramsAndRates) {
    RecordingEngine engine;
    VstInterface plugin(nullptr, engine, 1);
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
    char text[25];
    EXPECT_EQ(plugin.dispatcher(effGetProgramNameIndexed, 0, 0, text, 0), 1);
    EXPECT_STREQ(text, "First");
}

TEST(VstInterface, IdentityTexts) {
    RecordingEngine engine;
    VstInterface plugin(nullptr, engine, 1);
    char text[65];
    EXPECT_EQ(plugin.dispatcher(effGetEffectName, 0, 0, text, 0), 1);
    EXPECT_STREQ(text, "Test Engine");
    EXPECT_EQ(plugin.dispatcher(effGetVendorString, 0, 0, text, 0), 1);
    EXPECT_STREQ(text, "Test Vendor");
    EXPECT_EQ(plugin.dispatcher(effGetProductString, 0, 0, text, 0), 1);
    EXPECT_STREQ(text, "Test Product");
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
    struct Representation {
        std::uintptr_t ptr;
        std::ptrdiff_t adjust;
    } r;
    std::memcpy(&r, &own, sizeof r);
    EXPECT_EQ((r.ptr - 1) / sizeof(void*), 153u);
}

struct DestroyProbe {
    static int engines;
};
int DestroyProbe::engines = 0;

TEST(VstInterface, OwnedEngineGoesWithThePlugin) {
    RecordingHost host;
    auto* engine = new RecordingEngine;
    auto* plugin = new VstInterface(RecordingHost::callback, *engine, 1);
    plugin->ownEngine([](SynthEngine* e) {
        ++DestroyProbe::engines;
        delete static_cast<RecordingEngine*>(e);
    });
    AEffect* e = plugin->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(DestroyProbe::engines, 1);
}

TEST(VstInterface, SamplerEngineInstance) {
    // The real engine behind the class: the host sees its 177 programs and
    // "Funkiness" cut to the host's 8 characters.
    RecordingHost host;
    testing::internal::CaptureStdout();
    SamplerEngine engine;
    VstInterface plugin(RecordingHost::callback, engine, 61547);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(plugin.getAeffect()->numPrograms, 177);
    EXPECT_EQ(plugin.getAeffect()->numParams, 1);
    char text[9];
    plugin.dispatcher(effGetParamName, 0, 0, text, 0);
    EXPECT_STREQ(text, "Funkines");
    plugin.dispatcher(effGetParamDisplay, 0, 0, text, 0);
    EXPECT_STREQ(text, "0 osc");
}

} // namespace
