#include <gtest/gtest.h>

#include <numeric>
#include <utility>
#include <vector>

#include "engine/eventringbuffer.h"

namespace {

// A refused init leaves the ring as it was.
TEST(EventRingBuffer, InitAcceptsOnlyPowersOfTwo) {
    char storage[4];
    const std::pair<int32_t, bool> counts[] = {{256, true},      {1, true},   {1 << 29, true},
                                               {1 << 30, false}, {3, false},  {255, false},
                                               {0, false},       {-4, false}, {INT32_MIN, false}};
    for (const auto& [count, accepted] : counts) {
        EventRingBuffer ring;
        ring.capacity = 7;
        EXPECT_EQ(ring.init(4, count, storage), accepted ? 0 : -1) << count;
        EXPECT_EQ(ring.capacity, accepted ? count : 7) << count;
    }
}

// The ring takes and gives what fits, from the start of the source, in order
// across the end of the storage. A full ring refuses single events in the
// engine's tests (its queue's capacity); the reader and writer threads of the
// concurrency test stream through it in batches that split at the end.
TEST(EventRingBuffer, TakesAndGivesWhatFits) {
    std::vector<int32_t> storage(8), out(12, 0), source(10);
    std::iota(source.begin(), source.end(), 1);
    EventRingBuffer ring;
    ASSERT_EQ(ring.init(sizeof(int32_t), 8, storage.data()), 0);
    EXPECT_EQ(ring.write(source.data(), 6), 6);
    EXPECT_EQ(ring.read(out.data(), 4), 4);
    EXPECT_EQ(ring.write(source.data(), 10), 6);
    EXPECT_EQ(ring.read(out.data(), 12), 8);
    EXPECT_EQ(out, (std::vector<int32_t>{5, 6, 1, 2, 3, 4, 5, 6, 0, 0, 0, 0}));
}

} // namespace
