#include <gtest/gtest.h>

#include <climits>

#include "enginetestsupport.h"

namespace {

using enginetest::EngineCall;
using enginetest::RecordingEngine;

// The pass in which an event posted with each offset executes.
TEST(EventTick, OffsetsExecuteInTheirPass) {
    const struct {
        int32_t offset;
        int32_t pass;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {5, 5}, {-1, 1}, {INT_MIN, 1}, {511, 511}};
    for (const auto& c : cases) {
        RecordingEngine engine;
        engine.postNoteOn(60, 100, c.offset);
        engine.process(nullptr, nullptr, 512);
        ASSERT_EQ(engine.calls.size(), 1u) << "offset " << c.offset;
        EXPECT_EQ(engine.calls[0].pass, c.pass) << "offset " << c.offset;
    }
}

TEST(EventTick, OffsetBeyondTheBlockCarriesIntoTheNextBlock) {
    RecordingEngine engine;
    engine.postNoteOn(60, 100, 600);
    engine.postNoteOn(61, 100, INT_MAX);
    engine.process(nullptr, nullptr, 512);
    EXPECT_TRUE(engine.calls.empty());
    // The event waits with its count reduced by the block.
    PendingEvent head{};
    engine.m_pEventQueue->read(&head, 1);
    EXPECT_EQ(head.deltaFrames, 600 - 512);
    engine.m_pEventQueue->write(&head, 1);
    engine.process(nullptr, nullptr, 512);
    ASSERT_EQ(engine.calls.size(), 1u);
    EXPECT_EQ(engine.calls[0].pass - 512, 88); // the 88th pass of the second block
}

TEST(EventTick, EventsDueTogetherRunInPostingOrder) {
    RecordingEngine engine;
    engine.postNoteOff(64, 3);
    engine.postNoteOn(64, 90, 3);
    engine.postAllNotesOff();
    engine.process(nullptr, nullptr, 4);
    ASSERT_EQ(engine.calls.size(), 130u);
    for (int32_t note = 0; note < 128; ++note) {
        EXPECT_EQ(engine.calls[static_cast<std::size_t>(note)],
                  (EngineCall{'f', note, 0, 0.0f, 1}));
    }
    EXPECT_EQ(engine.calls[128], (EngineCall{'f', 64, 0, 0.0f, 3}));
    EXPECT_EQ(engine.calls[129], (EngineCall{'n', 64, 90, 0.0f, 3}));
}

TEST(EventTick, WaitingEventsKeepTheirOrderAndCount) {
    RecordingEngine engine;
    engine.postNoteOn(1, 1, 0);
    engine.postNoteOn(2, 2, 3);
    engine.postNoteOn(3, 3, 3);
    engine.tick();
    ASSERT_EQ(engine.calls.size(), 1u);
    ASSERT_EQ(engine.m_pEventQueue->readAvailable(), 2);
    PendingEvent waiting[2]{};
    engine.m_pEventQueue->read(waiting, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(waiting[i].deltaFrames, 2);
        EXPECT_EQ(static_cast<EngineNoteOnEvent*>(waiting[i].event)->m_note, 2 + i);
    }
    engine.m_pEventQueue->write(waiting, 2);
    engine.tick();
    EXPECT_EQ(engine.calls.size(), 1u);
    engine.tick();
    ASSERT_EQ(engine.calls.size(), 3u);
    EXPECT_EQ(engine.calls[1], (EngineCall{'n', 2, 2, 0.0f, 3}));
    EXPECT_EQ(engine.calls[2], (EngineCall{'n', 3, 3, 0.0f, 3}));
}

TEST(EventTick, EveryEventIsReleasedExactlyOnce) {
    RecordingEngine engine;
    for (int32_t i = 0; i < 300; ++i) {
        engine.postNoteOn(i & 127, 1, i); // the last 44 are refused
        EXPECT_EQ(engine.liveEventCount(), std::min(i + 1, 256));
    }
    for (int32_t frame = 1; frame <= 256; ++frame) {
        engine.tick();
        // Offsets 0 and 1 both fall due in the first pass.
        EXPECT_EQ(engine.liveEventCount(), 256 - frame - 1 + (frame == 256 ? 1 : 0))
            << "frame " << frame;
    }
    EXPECT_EQ(engine.calls.size(), 256u);
    EXPECT_EQ(engine.liveEventCount(), 0);
    // Reusing the freed events keeps working across many fills.
    for (int round = 0; round < 10; ++round) {
        engine.postAllNotesOff();
        engine.postAllNotesOff();
        engine.postAllNotesOff();
        EXPECT_EQ(engine.liveEventCount(), 256);
        engine.tick();
        EXPECT_EQ(engine.liveEventCount(), 0);
    }
}

TEST(SynthEventPool, HandsOutEachSlotOnceAndTakesItBack) {
    RecordingEngine engine;
    SynthEventPool pool(2);
    auto* a = pool.create<EngineNoteOnEvent>(&engine, 1, 2);
    auto* b = pool.create<EnginePitchBendEvent>(&engine, 0.5f);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pool.create<EngineNoteOffEvent>(&engine, 3), nullptr);
    EXPECT_TRUE(pool.owns(a));
    EXPECT_FALSE(pool.owns(nullptr));
    EngineNoteOffEvent foreign(&engine, 4);
    EXPECT_FALSE(pool.owns(&foreign));
    pool.release(a);
    EXPECT_EQ(pool.liveCount(), 1);
    auto* c = pool.create<EngineNoteOffEvent>(&engine, 5);
    EXPECT_EQ(static_cast<void*>(c), static_cast<void*>(a));
    EXPECT_EQ(c->m_note, 5);
}

TEST(SynthEventPoolDeathTest, ReleasingTwiceIsCaught) {
#ifdef NDEBUG
    GTEST_SKIP() << "assertions are off";
#else
    RecordingEngine engine;
    SynthEventPool pool(1);
    auto* a = pool.create<EngineNoteOnEvent>(&engine, 1, 2);
    pool.release(a);
    EXPECT_DEATH(pool.release(a), "released twice");
#endif
}

} // namespace
