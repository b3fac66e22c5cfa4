#include <gtest/gtest.h>

#include <numeric>
#include <utility>
#include <vector>

#include "engine/eventringbuffer.h"

namespace {

struct IntRing {
    explicit IntRing(int32_t count) : storage(static_cast<std::size_t>(count)) {
        EXPECT_EQ(ring.init(sizeof(int32_t), count, storage.data()), 0);
    }
    // Writes and reads back n elements, leaving both indexes n further on.
    void advance(int32_t n) {
        std::vector<int32_t> filler(static_cast<std::size_t>(n));
        ASSERT_EQ(ring.write(filler.data(), n), n);
        ASSERT_EQ(ring.read(filler.data(), n), n);
    }
    EventRingBuffer ring;
    std::vector<int32_t> storage;
};

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

// Kept full while elements stream through, so that both indexes pass their
// wrap at twice the capacity; then read in two regions.
TEST(EventRingBuffer, HoldsCapacityElementsWhileIndexesWrap) {
    IntRing r(256);
    std::vector<int32_t> values(1356);
    std::iota(values.begin(), values.end(), 0);
    ASSERT_EQ(r.ring.write(values.data(), 300), 256);
    EXPECT_EQ(r.ring.writeAvailable(), 0);
    int32_t value = -1;
    for (int32_t i = 0; i < 1100; ++i) {
        ASSERT_EQ(r.ring.read(&value, 1), 1);
        ASSERT_EQ(value, i);
        ASSERT_EQ(r.ring.write(&values[static_cast<std::size_t>(i) + 256], 1), 1);
    }
    std::vector<int32_t> rest(256);
    EXPECT_EQ(r.ring.read(rest.data(), 300), 256);
    EXPECT_EQ(rest, std::vector<int32_t>(values.begin() + 1100, values.end()));
    EXPECT_EQ(r.ring.read(&value, 1), 0);
    EXPECT_EQ(value, 1099); // untouched by the empty read
}

TEST(EventRingBuffer, PartialWritesAndReadsTakeWhatFits) {
    IntRing r(8);
    const std::vector<int32_t> source{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(r.ring.write(source.data(), 6), 6);
    EXPECT_EQ(r.ring.write(source.data(), 10), 2); // from the start of the source
    std::vector<int32_t> out(12, 0);
    EXPECT_EQ(r.ring.read(out.data(), 12), 8);
    EXPECT_EQ(out, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 1, 2, 0, 0, 0, 0}));
    EXPECT_EQ(r.ring.write(source.data(), 0), 0);
    EXPECT_EQ(r.ring.write(source.data(), -3), 0);
    EXPECT_EQ(r.ring.read(out.data(), -3), 0);
}

TEST(EventRingBuffer, RegionsSplitAtTheEndOfStorage) {
    IntRing r(256);
    r.advance(250);
    void* region1;
    void* region2;
    int32_t count1;
    int32_t count2;
    EXPECT_EQ(r.ring.writeRegions(10, &region1, &count1, &region2, &count2), 10);
    EXPECT_EQ(region1, static_cast<void*>(&r.storage[250]));
    EXPECT_EQ(count1, 6);
    EXPECT_EQ(region2, static_cast<void*>(r.storage.data()));
    EXPECT_EQ(count2, 4);

    const std::vector<int32_t> source{100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
    EXPECT_EQ(r.ring.write(source.data(), 10), 10);
    EXPECT_EQ(r.ring.readRegions(20, &region1, &count1, &region2, &count2), 10);
    EXPECT_EQ(count1, 6);
    EXPECT_EQ(count2, 4);
    std::vector<int32_t> out(10);
    EXPECT_EQ(r.ring.read(out.data(), 10), 10);
    EXPECT_EQ(out, source);

    // A grant that ends exactly at the end of the storage needs no second region.
    r.advance(246);
    EXPECT_EQ(r.ring.writeRegions(6, &region1, &count1, &region2, &count2), 6);
    EXPECT_EQ(region1, static_cast<void*>(&r.storage[250]));
    EXPECT_EQ(count1, 6);
    EXPECT_EQ(region2, nullptr);
    EXPECT_EQ(count2, 0);
}

} // namespace
