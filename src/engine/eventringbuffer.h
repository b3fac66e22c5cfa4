#pragma once

#include <atomic>
#include <cstdint>

// A lock-free ring of fixed-size elements for one writer and one reader.
//
// Indexes run over twice the capacity, so a full ring (fill count == capacity)
// differs from an empty one and every slot can hold an element. The element
// count must be a power of two: index arithmetic uses masks, never division.
// Elements are copied in and out as raw bytes, so they must be trivially
// copyable.
//
// Threads: only the writer calls write/writeRegions/advanceWrite, only the
// reader calls read/readRegions/advanceRead. Each side copies its element
// bytes before it publishes its index (release), and reads the other side's
// index with acquire, so neither side ever sees an index that covers bytes
// not yet copied. Nothing here allocates or waits.
struct EventRingBuffer {
    int32_t capacity = 0;
    std::atomic<int32_t> writeIndex{0};
    std::atomic<int32_t> readIndex{0};
    int32_t wrapMask = 0;
    int32_t indexMask = 0;
    int32_t elementSize = 0;
    char* data = nullptr; // not owned

    // Sets the ring up over `storage` (count x elementSize bytes, not owned).
    // Returns 0, or -1 when count is not a power of two (or is not positive, or
    // too large for the doubled index range, or elementSize is not positive);
    // on -1 nothing is touched. Any thread, before the ring is shared.
    int32_t init(int32_t elementSize, int32_t count, void* storage);

    // Elements ready to be read. Either side.
    int32_t readAvailable() const;
    // Free slots. Either side.
    int32_t writeAvailable() const;
    // Empties the ring (both indexes 0). Only while no other thread uses it.
    void flush();

    // Grants up to `count` slots for writing, starting at the write index:
    // region 1 up to the end of the storage, region 2 (or null with 0) from its
    // start. Returns the number granted (count1 + count2), at most
    // writeAvailable(); 0 for a non-positive count. Writer only.
    int32_t writeRegions(int32_t count, void** region1, int32_t* count1, void** region2,
                         int32_t* count2);
    // Publishes n written elements; returns the new write index. Writer only.
    int32_t advanceWrite(int32_t n);

    // The mirror of writeRegions over the elements ready to read. Reader only.
    int32_t readRegions(int32_t count, void** region1, int32_t* count1, void** region2,
                        int32_t* count2);
    // Frees n read elements; returns the new read index. Reader only.
    int32_t advanceRead(int32_t n);

    // Copies up to `count` elements from `source` into the ring; returns how
    // many fit (0 when full: nothing is copied). Writer only.
    int32_t write(const void* source, int32_t count);
    // Copies up to `count` elements out of the ring into `target`; returns how
    // many were there (0 when empty). Reader only.
    int32_t read(void* target, int32_t count);
};
