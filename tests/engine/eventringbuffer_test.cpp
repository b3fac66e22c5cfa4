#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <thread>
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
// engine's tests (its queue's capacity); the reader and writer threads below
// stream through it in batches that split at the end.
TEST(EventRingBuffer, TakesAndGivesWhatFits) {
    std::vector<int32_t> storage(8), out(12, 0), source(10);
    std::iota(source.begin(), source.end(), 1);
    EventRingBuffer ring;
    ASSERT_EQ(ring.init(sizeof(int32_t), 8, storage.data()), 0);
    // In the order written: a braced list is evaluated from left to right.
    const std::vector<int32_t> counts = {ring.write(source.data(), 6), ring.read(out.data(), 4),
                                         ring.write(source.data(), 10), ring.read(out.data(), 12)};
    EXPECT_EQ(counts, (std::vector<int32_t>{6, 4, 6, 8}));
    EXPECT_EQ(out, (std::vector<int32_t>{5, 6, 1, 2, 3, 4, 5, 6, 0, 0, 0, 0}));
}

// Elements wider than one word, so that a torn or early read shows.
struct Element {
    int64_t sequence;
    int64_t check;
};

// A writer and a reader thread stream elements through the ring. Batches of
// several elements take the region path, split at the end of the storage;
// single ones the fast path.
void streamThrough(int32_t writeBatch, int32_t readBatch) {
    constexpr int64_t total = 200000;
    std::vector<Element> storage(64);
    EventRingBuffer ring;
    ASSERT_EQ(ring.init(sizeof(Element), 64, storage.data()), 0);

    std::thread writer([&] {
        Element batch[5];
        for (int64_t next = 0; next < total;) {
            const auto n = static_cast<int32_t>(std::min<int64_t>(writeBatch, total - next));
            for (int32_t i = 0; i < n; ++i) {
                batch[i] = {next + i, ~(next + i)};
            }
            const int32_t written = ring.write(batch, n);
            next += written;
            if (written == 0) {
                std::this_thread::yield();
            }
        }
    });
    int64_t expected = 0, errors = 0;
    Element batch[7];
    while (expected < total) {
        const int32_t n = ring.read(batch, readBatch);
        for (int32_t i = 0; i < n; ++i, ++expected) {
            errors += batch[i].sequence != expected || batch[i].check != ~expected;
        }
        if (n == 0) {
            std::this_thread::yield();
        }
    }
    writer.join();
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(ring.readAvailable(), 0);
}

TEST(EventRingBufferConcurrency, ReaderSeesEveryElementWholeAndInOrder) {
    for (const auto& [writeBatch, readBatch] : {std::pair{5, 7}, {1, 1}, {1, 7}, {5, 1}}) {
        SCOPED_TRACE(::testing::Message() << writeBatch << " by " << readBatch);
        streamThrough(writeBatch, readBatch);
    }
}

} // namespace
