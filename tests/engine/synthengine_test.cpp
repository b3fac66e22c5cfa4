#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/synthengine.h"

namespace {

// One engine operation as an executing event called it: kind ('n' note on,
// 'f' note off, 'b' pitch bend), note, velocity, bend amount, and the 1-based
// tick pass in which it ran.
using EngineCall = std::tuple<char, int32_t, int32_t, float, int32_t>;

// An engine that records what its events do and ticks once per frame.
class RecordingEngine final : public SynthEngine {
public:
    RecordingEngine() : SynthEngine(16, 0, 2, "Effect", "Vendor", "Product", 1) {}
    void process(float**, float**, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i) {
            tick();
        }
    }
    void noteOn(int32_t note, int32_t velocity) override {
        calls.emplace_back('n', note, velocity, 0.0f, pass);
    }
    void noteOff(int32_t note) override { calls.emplace_back('f', note, 0, 0.0f, pass); }
    void pitchBend(float amount) override { calls.emplace_back('b', 0, 0, amount, pass); }
    void tick() {
        ++pass;
        eventQueueTick(m_pEventQueue);
    }
    std::vector<EngineCall> calls;
    int32_t pass = 0;
};

std::vector<EngineCall> allNotesOff(int32_t pass) {
    std::vector<EngineCall> calls;
    for (int32_t note = 0; note < 128; ++note) {
        calls.emplace_back('f', note, 0, 0.0f, pass);
    }
    return calls;
}

// The pass, over two blocks of 512 frames, in which an event posted with each
// offset executes (0: never).
TEST(EventTick, OffsetsExecuteInTheirPass) {
    const struct {
        int32_t offset;
        int32_t pass;
    } cases[] = {{0, 1},  {1, 1},       {2, 2},
                 {5, 5},  {511, 511},   {600, 600}, // the 88th pass of the second block
                 {-1, 1}, {INT_MIN, 1}, {INT_MAX, 0}};
    for (const auto& c : cases) {
        RecordingEngine engine;
        engine.postNoteOn(60, 100, c.offset);
        engine.process(nullptr, nullptr, 512);
        engine.process(nullptr, nullptr, 512);
        const std::vector<EngineCall> expected{{'n', 60, 100, 0.0f, c.pass}};
        EXPECT_EQ(engine.calls, c.pass > 0 ? expected : std::vector<EngineCall>{})
            << "offset " << c.offset;
        EXPECT_EQ(engine.liveEventCount(), c.pass > 0 ? 0 : 1) << "offset " << c.offset;
    }
}

// One group due now ahead of two events due in the third pass: the first pass
// runs the group and puts the two back, counted down and in posting order.
TEST(EventTick, EventsDueTogetherRunInPostingOrder) {
    RecordingEngine engine;
    engine.postAllNotesOff();
    engine.postNoteOff(64, 3);
    engine.postNoteOn(64, 90, 3);
    engine.tick();
    EXPECT_EQ(engine.calls, allNotesOff(1));
    PendingEvent waiting[3]{};
    ASSERT_EQ(engine.m_pEventQueue->read(waiting, 3), 2);
    EXPECT_EQ(waiting[0].deltaFrames, 2);
    EXPECT_EQ(waiting[1].deltaFrames, 2);
    engine.m_pEventQueue->write(waiting, 2);
    engine.calls.clear();
    engine.process(nullptr, nullptr, 3);
    EXPECT_EQ(engine.calls,
              (std::vector<EngineCall>{{'f', 64, 0, 0.0f, 3}, {'n', 64, 90, 0.0f, 3}}));
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
        {"data bytes carry 7 bits", 0x90, 0xBC, 0xE4, 1, {{'n', 60, 100, 0.0f, 1}}},
        {"all notes off", 0xB0, 123, 0, 300, allNotesOff(1)},
        {"poly mode on", 0xB3, 126, 55, 300, allNotesOff(1)},
        {"sustain pedal", 0xB0, 64, 127, 0, {}},
        {"program change", 0xC0, 5, 0, 0, {}},
        {"system", 0xF0, 60, 100, 0, {}},
        {"pitch bend top", 0xE5, 0x7F, 0x7F, 4, {{'b', 0, 0, 0.9998779296875f, 4}}},
        {"pitch bend bottom", 0xE0, 0x00, 0x00, 4, {{'b', 0, 0, -1.0f, 4}}},
        {"pitch bend 4097", 0xE0, 0x01, 0x20, 4, {{'b', 0, 0, -0.4998779296875f, 4}}},
    };
    for (const auto& c : cases) {
        RecordingEngine engine;
        engine.handleMidi(c.status, c.data1, c.data2, c.offset);
        engine.process(nullptr, nullptr, 512);
        EXPECT_EQ(engine.calls, c.calls) << c.what;
    }
}

// Two all-notes-off, or 256 pitch bends, fill the queue: a note-on behind them
// is dropped, and every event goes back to the pool once it ran or was refused.
TEST(MidiTranslation, FullQueueDropsTheNextEvent) {
    RecordingEngine engine;
    for (const bool bends : {false, true, false}) {
        for (int i = 0; i < (bends ? 256 : 1); ++i) {
            engine.handleMidi(bends ? 0xE0 : 0xB0, bends ? 0 : 123, 0x40, 0);
        }
        engine.handleMidi(0xB0, 126, 0, bends ? 0 : 1); // a second group, or a 257th event
        engine.handleMidi(0x90, 60, 100, 0);
        EXPECT_EQ(engine.liveEventCount(), 256);
        engine.calls.clear();
        engine.tick();
        ASSERT_EQ(engine.calls.size(), 256u);
        EXPECT_EQ(std::get<0>(engine.calls.back()), bends ? 'b' : 'f');
        EXPECT_EQ(engine.liveEventCount(), 0);
    }
}

TEST(SynthEventPool, RefusesWhenFullAndReusesReleasedSlots) {
    RecordingEngine engine;
    SynthEventPool pool(1);
    auto* a = pool.create<EngineNoteOnEvent>(&engine, 1, 2);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(pool.create<EnginePitchBendEvent>(&engine, 0.5f), nullptr);
    EngineNoteOffEvent foreign(&engine, 4);
    EXPECT_FALSE(pool.owns(&foreign));
    pool.release(a);
    auto* c = pool.create<EngineNoteOffEvent>(&engine, 5);
    EXPECT_EQ(static_cast<void*>(c), static_cast<void*>(a));
    EXPECT_EQ(pool.liveCount(), 1);
#ifndef NDEBUG
    pool.release(c);
    EXPECT_DEATH(pool.release(c), "released twice");
#endif
}

// Program change messages do not reach the programs.
TEST(SynthEngine, SetProgramAcceptsOnlyExistingIndexes) {
    RecordingEngine engine;
    engine.setProgram(0);
    EXPECT_EQ(engine.getCurrentProgram(), nullptr);
    engine.m_programs.resize(3, SynthProgram(1));
    for (int32_t index : {2, -1, 3, INT32_MIN, INT32_MAX}) {
        engine.setProgram(index);
        EXPECT_EQ(engine.getCurrentProgram(), &engine.m_programs[2]) << index;
    }
    engine.handleMidi(0xC0, 0, 0, 0);
    engine.process(nullptr, nullptr, 4);
    EXPECT_EQ(engine.getCurrentProgram(), &engine.m_programs[2]);
}

TEST(SynthEngine, DestroyingReleasesQueuedEventsWithoutExecuting) {
    // An event executed here would call a pure operation of the half-destroyed
    // engine and abort; one released twice trips the pool's assertion.
    auto engine = std::make_unique<RecordingEngine>();
    engine->postAllNotesOff();
    engine->postNoteOn(1, 1, 1000);
    EXPECT_EQ(engine->liveEventCount(), 129);
    engine.reset();
}

} // namespace
