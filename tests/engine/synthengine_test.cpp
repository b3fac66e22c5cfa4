#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginetestsupport.h"

namespace {

using enginetest::EngineCall;
using enginetest::RecordingEngine;

std::vector<EngineCall> callsFor(uint8_t status, uint8_t data1, uint8_t data2, int32_t offset) {
    RecordingEngine engine;
    engine.handleMidi(status, data1, data2, offset);
    engine.process(nullptr, nullptr, 512);
    return engine.calls;
}

std::vector<EngineCall> allNotesOff() {
    std::vector<EngineCall> calls;
    for (int32_t note = 0; note < 128; ++note) {
        calls.push_back({'f', note, 0, 0.0f, 1});
    }
    return calls;
}

TEST(MidiTranslation, MessagesBecomeTheirEvents) {
    const struct {
        const char* what;
        uint8_t status, data1, data2;
        int32_t offset;
        std::vector<EngineCall> calls;
    } cases[] = {
        {"note on", 0x90, 60, 100, 7, {{'n', 60, 100, 0.0f, 7}}},
        {"note on, channel 16", 0x9F, 60, 100, 7, {{'n', 60, 100, 0.0f, 7}}},
        {"note on, velocity 0", 0x90, 61, 0, 9, {{'f', 61, 0, 0.0f, 9}}},
        {"note off", 0x80, 62, 0, 9, {{'f', 62, 0, 0.0f, 9}}},
        {"note off, release velocity", 0x8F, 62, 127, 9, {{'f', 62, 0, 0.0f, 9}}},
        {"data bytes carry 7 bits", 0x90, 0xBC, 0xE4, 1, {{'n', 60, 100, 0.0f, 1}}},
        {"all notes off", 0xB0, 123, 0, 300, allNotesOff()},
        {"poly mode on", 0xB3, 126, 55, 300, allNotesOff()},
        {"all sound off", 0xB0, 120, 0, 0, {}},
        {"reset controllers", 0xB0, 121, 0, 0, {}},
        {"sustain pedal", 0xB0, 64, 127, 0, {}},
        {"poly pressure", 0xA0, 60, 10, 0, {}},
        {"program change", 0xC0, 5, 0, 0, {}},
        {"channel pressure", 0xD0, 60, 0, 0, {}},
        {"system", 0xF0, 60, 100, 0, {}},
        {"pitch bend centre", 0xE0, 0x00, 0x40, 4, {{'b', 0, 0, 0.0f, 4}}},
        {"pitch bend top", 0xE5, 0x7F, 0x7F, 4, {{'b', 0, 0, 0.9998779296875f, 4}}},
        {"pitch bend bottom", 0xE0, 0x00, 0x00, 4, {{'b', 0, 0, -1.0f, 4}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(callsFor(c.status, c.data1, c.data2, c.offset), c.calls) << c.what;
    }
}

TEST(MidiTranslation, PitchBendIsLinearOverAll14BitValues) {
    RecordingEngine engine;
    for (int32_t value = 0; value < 16384; ++value) {
        engine.handleMidi(0xE0, static_cast<uint8_t>(value & 0x7F),
                          static_cast<uint8_t>(value >> 7), 0);
        engine.tick();
        ASSERT_EQ(engine.calls.size(), 1u);
        EXPECT_EQ(engine.calls[0].amount, static_cast<float>(value - 8192) / 8192.0f) << value;
        engine.calls.clear();
    }
}

TEST(MidiTranslation, TwoAllNotesOffFillTheQueue) {
    RecordingEngine engine;
    engine.handleMidi(0xB0, 123, 0, 0);
    engine.handleMidi(0xB0, 126, 0, 0);
    EXPECT_EQ(engine.m_pEventQueue->readAvailable(), SYNTH_EVENT_QUEUE_SIZE);
    engine.handleMidi(0x90, 60, 100, 0);
    engine.process(nullptr, nullptr, 16);
    ASSERT_EQ(engine.calls.size(), 256u);
    for (const EngineCall& call : engine.calls) {
        EXPECT_EQ(call.kind, 'f');
    }
}

TEST(MidiTranslation, PitchBendsTakeQueueSlotsLikeNotes) {
    RecordingEngine engine;
    for (int i = 0; i < 256; ++i) {
        engine.handleMidi(0xE0, 0, 0x40, i);
    }
    engine.handleMidi(0x90, 60, 100, 0);
    engine.process(nullptr, nullptr, 512);
    ASSERT_EQ(engine.calls.size(), 256u);
    EXPECT_EQ(engine.calls.back().kind, 'b');
}

TEST(SynthEngine, SetProgramAcceptsOnlyExistingIndexes) {
    RecordingEngine engine;
    EXPECT_TRUE(engine.m_programs.empty());
    EXPECT_EQ(engine.m_pCurrentProgram, nullptr);
    engine.setProgram(0);
    EXPECT_EQ(engine.m_pCurrentProgram, nullptr);

    engine.m_programs.resize(3, SynthProgram(1));
    engine.setProgram(2);
    EXPECT_EQ(engine.m_pCurrentProgram, &engine.m_programs[2]);
    for (int32_t refused : {-1, 3, INT32_MIN, INT32_MAX}) {
        engine.setProgram(refused);
        EXPECT_EQ(engine.m_pCurrentProgram, &engine.m_programs[2]) << refused;
    }
    engine.handleMidi(0xC0, 0, 0, 0);
    engine.process(nullptr, nullptr, 4);
    EXPECT_EQ(engine.m_pCurrentProgram, &engine.m_programs[2]);
}

TEST(SynthEngine, StartsWithHostDefaults) {
    RecordingEngine engine;
    EXPECT_EQ(engine.m_sampleRate, 44100.0f);
    EXPECT_EQ(engine.m_tempo, 120.0f);
    EXPECT_EQ(engine.m_voiceMap, std::vector<int32_t>(16, -1));
    EXPECT_EQ(engine.m_pEventQueue->capacity, SYNTH_EVENT_QUEUE_SIZE);
    EXPECT_EQ(engine.m_pEventQueue->elementSize, static_cast<int32_t>(sizeof(PendingEvent)));
    // The slots lie in the same block, behind the header.
    const auto* header = reinterpret_cast<const char*>(engine.m_pEventQueue);
    EXPECT_GE(engine.m_pEventQueue->data, header + sizeof(EventRingBuffer));
    EXPECT_LE(engine.m_pEventQueue->data, header + sizeof(EventRingBuffer) + alignof(PendingEvent));
    EXPECT_EQ(std::string(engine.m_effectName), "Effect");
}

TEST(SynthEngine, DestroyingReleasesQueuedEventsWithoutExecuting) {
    // The leak checker and the pool's double-release check watch this one.
    auto engine = std::make_unique<RecordingEngine>();
    engine->postAllNotesOff();
    engine->postNoteOn(1, 1, 1000);
    EXPECT_EQ(engine->liveEventCount(), 129);
    engine.reset();
}

} // namespace
