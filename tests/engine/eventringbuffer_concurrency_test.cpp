#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "engine/eventringbuffer.h"

namespace {

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
