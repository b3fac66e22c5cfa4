// The plug-in class linked in, over an engine that records what reaches it.
#include "plugin/vstinterface.h"

#include "../support/vtableslot.h"
#include "engine/synthengine.h"
#include "recording.h"
#include "vstevents.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// Two programs with one parameter each; process logs the tempo and runs the
// event tick once per frame, logging the notes that execute on their frame.
class RecordingEngine final : public SynthEngine {
public:
    RecordingEngine() : SynthEngine(16, 0, 2, "Test Engine", "Test Vendor", "Test Product", 7) {
        for (const char* name : {"First", "Second"}) {
            m_programs.emplace_back(1);
            m_programs.back().setName(name);
        }
        m_pCurrentProgram = &m_programs[0];
    }
    void process(float**, float** outputs, int32_t frames) override {
        log.push_back("tempo " + std::to_string(m_tempo));
        for (m_frame = 0; m_frame < frames; ++m_frame) {
            eventQueueTick(m_pEventQueue);
            outputs[0][m_frame] = outputs[1][m_frame] = 0.0f;
        }
    }
    void noteOn(int32_t note, int32_t velocity) override {
        mark("on " + std::to_string(note) + " " + std::to_string(velocity));
    }
    void noteOff(int32_t note) override { mark("off " + std::to_string(note)); }
    void pitchBend(float amount) override { mark("bend " + std::to_string(amount)); }
    void mark(const std::string& what) { log.push_back(what + " @" + std::to_string(m_frame)); }

    std::vector<std::string> log;

private:
    int32_t m_frame = 0;
};

// MIDI reaches the engine with the status's channel dropped and data bytes
// cut to seven bits, at unchanged offsets in the host's order; other events
// and null entries are skipped. One time request per rendered block, with
// the tempo filter, and a tempo only from an answer that carries one. Then
// programs, rates and names.
TEST(VstInterface, EventsTempoProgramsAndTexts) {
    RecordingHost host;
    RecordingEngine engine;
    VstInterface plugin(RecordingHost::callback, engine, 1);
    EventList list({midiEvent(0x94, 60, 100, 0), midiEvent(0x9F, 0xC0, 0xFF, 3),
                    midiEvent(0x83, 60, 0x7F, 5), midiEvent(0x90, 61, 0x80, 6),
                    midiEvent(0xE2, 0x7F, 0x7F, 7), midiEvent(0xC0, 1, 0, 8)});
    VstEvent other{};
    other.type = kVstSysExType;
    list.setEntries({list.entry(0), &other, list.entry(1), nullptr, list.entry(2), list.entry(3),
                     list.entry(4), list.entry(5)});
    EXPECT_EQ(plugin.dispatcher(effProcessEvents, 0, 0, list.list, 0), 1);
    VstTimeInfo time{};
    time.tempo = 140.6;
    for (VstInt32 flags : {int(kVstPpqPosValid), int(kVstTempoValid), -1}) {
        // The last answer carries no time information at all.
        time.flags = flags;
        host.answers[audioMasterGetTime] = flags < 0 ? 0 : reinterpret_cast<VstIntPtr>(&time);
        render(plugin.getAeffect(), 8, 8);
    }
    // The engine's tick runs the events for offsets 0, 3, 5, 6 and 7 on these
    // frames.
    EXPECT_EQ(engine.log,
              (std::vector<std::string>{"tempo 120.000000", "on 60 100 @0", "on 64 127 @2",
                                        "off 60 @4", "off 61 @5", "bend 0.999878 @6",
                                        "tempo 140.600006", "tempo 140.600006"}));
    // Blocks of no frames are not rendered and ask nothing.
    render(plugin.getAeffect(), 0, 0);
    plugin.getAeffect()->processReplacing(plugin.getAeffect(), nullptr, nullptr, -4);
    ASSERT_EQ(host.requests.size(), 3u);
    for (const RecordingHost::Request& r : host.requests) {
        EXPECT_EQ(std::tie(r.opcode, r.value), std::make_tuple(audioMasterGetTime, kVstTempoValid));
    }

    // Called directly, past the dispatcher's bound, a program out of range
    // changes nothing.
    for (VstInt32 program : {1, 2, -1}) {
        plugin.setProgram(program);
    }
    EXPECT_EQ(std::make_tuple(plugin.getProgram(), engine.m_pCurrentProgram.load()),
              std::make_tuple(1, &engine.m_programs[1]));

    plugin.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    plugin.dispatcher(effSetBlockSize, 0, 64, nullptr, 0);
    EXPECT_EQ(std::make_tuple(plugin.getSampleRate(), engine.m_sampleRate, plugin.getBlockSize()),
              std::make_tuple(48000.0f, 48000.0f, 64));

    // Renaming changes the current program only; a long name from the host
    // is stored cut to 24 characters.
    char name[] = "A program name far longer than twenty-four characters";
    plugin.dispatcher(effSetProgramName, 0, 0, name, 0);
    EXPECT_EQ(std::tie(engine.m_programs[0].m_name, engine.m_programs[1].m_name),
              std::make_tuple("First", "A program name far longe"));

    // A stub in a slot of its own, which the deprecated opcode does not reach.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(plugin.copyProgram());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "STUB: VstInterface::copyProgram\n");
    EXPECT_EQ(plugin.dispatcher(effCopyProgram, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(vtableSlot(static_cast<bool (VstInterface::*)()>(&VstInterface::copyProgram)), 153);
}

} // namespace
