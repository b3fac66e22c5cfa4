#include <gtest/gtest.h>

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

// Batches of several elements take the region path, single ones the fast path.
class EventRingBufferConcurrency : public ::testing::TestWithParam<std::pair<int32_t, int32_t>> {};

TEST_P(EventRingBufferConcurrency, ReaderSeesEveryElementWholeAndInOrder) {
    const int32_t writeBatch = GetParam().first;
    const int32_t readBatch = GetParam().second;
    constexpr int64_t total = 200000;
    std::vector<Element> storage(64);
    EventRingBuffer ring;
    ASSERT_EQ(ring.init(sizeof(Element), 64, storage.data()), 0);

    std::thread writer([&] {
        Element batch[5];
        int64_t next = 0;
        while (next < total) {
            int32_t n = 0;
            for (; n < writeBatch && next + n < total; ++n) {
                batch[n] = {next + n, ~(next + n)};
            }
            const int32_t written = ring.write(batch, n);
            next += written;
            if (written == 0) {
                std::this_thread::yield();
            }
        }
    });

    int64_t expected = 0;
    int64_t errors = 0;
    Element batch[7];
    while (expected < total) {
        const int32_t n = ring.read(batch, readBatch);
        for (int32_t i = 0; i < n; ++i) {
            errors += batch[i].sequence != expected || batch[i].check != ~expected;
            ++expected;
        }
        if (n == 0) {
            std::this_thread::yield();
        }
    }
    writer.join();
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(ring.readAvailable(), 0);
}

INSTANTIATE_TEST_SUITE_P(Batches, EventRingBufferConcurrency,
                         ::testing::Values(std::make_pair(5, 7), std::make_pair(1, 1),
                                           std::make_pair(1, 7), std::make_pair(5, 1)));

} // namespace
