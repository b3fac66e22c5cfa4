#include <gtest/gtest.h>

#include <numeric>
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

TEST(EventRingBuffer, InitAcceptsOnlyPowersOfTwo) {
    char storage[4];
    for (int32_t count : {256, 1, 2, 1 << 29}) {
        EventRingBuffer ring;
        ASSERT_EQ(ring.init(4, count, storage), 0) << count;
        EXPECT_EQ(ring.capacity, count);
        EXPECT_EQ(ring.wrapMask, 2 * count - 1);
        EXPECT_EQ(ring.indexMask, count - 1);
    }
    for (int32_t count : {1 << 30, 3, 100, 255, 0, -4, INT32_MIN}) {
        EventRingBuffer ring;
        ring.capacity = 7; // a refused init leaves the ring as it was
        EXPECT_EQ(ring.init(4, count, storage), -1) << count;
        EXPECT_EQ(ring.capacity, 7);
        EXPECT_EQ(ring.data, nullptr);
    }
}

// Kept full while elements stream through, so that both indexes pass 511.
TEST(EventRingBuffer, HoldsCapacityElementsAndIndexesRunTo511ThenWrap) {
    IntRing r(256);
    for (int32_t i = 0; i < 256; ++i) {
        ASSERT_EQ(r.ring.write(&i, 1), 1) << "element " << i;
    }
    int32_t value = 999;
    EXPECT_EQ(r.ring.write(&value, 1), 0);
    EXPECT_EQ(r.ring.writeAvailable(), 0);
    for (int32_t i = 0; i < 1100; ++i) {
        ASSERT_EQ(r.ring.read(&value, 1), 1);
        EXPECT_EQ(value, i);
        const int32_t before = r.ring.writeIndex.load();
        const int32_t next = i + 256;
        ASSERT_EQ(r.ring.write(&next, 1), 1);
        EXPECT_EQ(r.ring.writeIndex.load(), (before + 1) % 512);
        EXPECT_EQ(r.ring.readAvailable(), 256);
    }
    std::vector<int32_t> rest(256);
    std::vector<int32_t> expected(256);
    std::iota(expected.begin(), expected.end(), 1100);
    EXPECT_EQ(r.ring.read(rest.data(), 300), 256); // in two regions
    EXPECT_EQ(rest, expected);
    EXPECT_EQ(r.ring.read(&value, 1), 0);
    EXPECT_EQ(value, 1099); // untouched by the empty read
    EXPECT_EQ(r.ring.writeAvailable(), 256);
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
