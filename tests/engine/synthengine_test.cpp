#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "engine/synthengine.h"

namespace {

// One engine operation as an executing event called it: kind ('n' note on,
// 'f' note off, 'b' pitch bend), note, velocity, bend amount, and the 1-based
// tick pass in which it ran.
using Call = std::tuple<char, int32_t, int32_t, float, int32_t>;
using Calls = std::vector<Call>;

// An engine that records what its events do and ticks once per frame; its
// third program is current.
class RecordingEngine final : public SynthEngine {
public:
    RecordingEngine() : SynthEngine(16, 0, 2, "Effect", "Vendor", "Product", 1) {
        m_programs.resize(3, SynthProgram(1));
        setProgram(2);
    }
    void process(float**, float**, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i) {
            ++pass;
            eventQueueTick(m_pEventQueue);
        }
    }
    void noteOn(int32_t note, int32_t velocity) override {
        calls.emplace_back('n', note, velocity, 0.0f, pass);
    }
    void noteOff(int32_t note) override { calls.emplace_back('f', note, 0, 0.0f, pass); }
    void pitchBend(float amount) override { calls.emplace_back('b', 0, 0, amount, pass); }
    Calls calls;
    int32_t pass = 0;
};

Calls allNotesOff() {
    Calls calls;
    for (int32_t note = 0; note < 128; ++note) {
        calls.emplace_back('f', note, 0, 0.0f, 1);
    }
    return calls;
}

// What each message does, in which pass of 1024 frames its offset lets it
// run; an event that never runs stays live, and destroying the engine
// releases it without executing it (executed, it would call a pure operation
// of the half-destroyed engine and abort). Program change messages select no
// program (the engines' tests refuse indexes outside the list).
TEST(MidiTranslation, MessagesRunAtTheirOffsets) {
    // Status, data, offset, the calls and the events left live.
    const std::tuple<uint8_t, uint8_t, uint8_t, int32_t, Calls, int32_t> cases[] = {
        {0x90, 60, 100, 600, {{'n', 60, 100, 0.0f, 600}}, 0},
        {0x90, 60, 100, INT_MAX, {}, 1},
        {0x9F, 0xBC, 0xE4, 1, {{'n', 60, 100, 0.0f, 1}}, 0}, // channel 16, 7-bit data
        {0x90, 61, 0, 2, {{'f', 61, 0, 0.0f, 2}}, 0},
        {0x90, 63, 1, 3, {{'n', 63, 1, 0.0f, 3}}, 0}, // the softest note still plays
        {0x80, 62, 0, -1, {{'f', 62, 0, 0.0f, 1}}, 0},
        {0xB0, 123, 0, 300, allNotesOff(), 0},
        {0xB3, 126, 55, 300, allNotesOff(), 0},
        {0xB0, 64, 127, 0, {}, 0},
        {0xE5, 0x7F, 0x7F, INT_MIN, {{'b', 0, 0, 0.9998779296875f, 1}}, 0},
        {0xE0, 0x01, 0x20, 4, {{'b', 0, 0, -0.4998779296875f, 4}}, 0},
        {0xC0, 0, 0, 0, {}, 0},
    };
    for (const auto& [status, data1, data2, offset, calls, live] : cases) {
        SCOPED_TRACE(testing::Message() << int(status) << " " << int(data1) << " at " << offset);
        RecordingEngine engine;
        engine.handleMidi(status, data1, data2, offset);
        engine.process(nullptr, nullptr, 1024);
        EXPECT_EQ(std::tuple(engine.calls, engine.liveEventCount(), engine.getCurrentProgram()),
                  std::tuple(calls, live, &engine.m_programs[2]));
    }
}

// A group of note-offs due now, two events due in the third pass, then a
// second group of which only 126 fit: the rest is dropped, the two wait and
// run in posting order, and every event goes back to the pool once it ran or
// was refused.
TEST(MidiTranslation, FullQueueDropsAndWaitingEventsKeepTheirOrder) {
    RecordingEngine engine;
    engine.postAllNotesOff();
    engine.postNoteOff(64, 3);
    engine.postNoteOn(64, 90, 3);
    engine.handleMidi(0xB0, 123, 0, 0);
    EXPECT_EQ(engine.liveEventCount(), 256);
    engine.process(nullptr, nullptr, 3);
    Calls expected = allNotesOff(), second = allNotesOff();
    expected.insert(expected.end(), second.begin(), second.begin() + 126);
    expected.insert(expected.end(), {{'f', 64, 0, 0.0f, 3}, {'n', 64, 90, 0.0f, 3}});
    EXPECT_EQ(std::pair(engine.calls, engine.liveEventCount()), std::pair(expected, 0));
}

TEST(SynthEventPool, RefusesWhenFullAndReusesReleasedSlots) {
    RecordingEngine engine;
    SynthEventPool pool(1);
    SynthEvent* a = pool.create<EngineNoteOnEvent>(&engine, 1, 2);
    EXPECT_EQ(pool.create<EnginePitchBendEvent>(&engine, 0.5f), nullptr);
    EngineNoteOffEvent foreign(&engine, 4);
    EXPECT_FALSE(pool.owns(&foreign));
    pool.release(a);
    EXPECT_EQ(pool.create<EngineNoteOffEvent>(&engine, 5), a);
    EXPECT_EQ(pool.liveCount(), 1);
#ifndef NDEBUG
    pool.release(a);
    EXPECT_DEATH(pool.release(a), "released twice");
#endif
}

} // namespace
