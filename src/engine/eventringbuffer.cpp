#include "engine/eventringbuffer.h"

#include <algorithm>
#include <cstring>

int32_t EventRingBuffer::init(int32_t newElementSize, int32_t count, void* storage) {
    // Indexes run over 2 x count and index sums must still fit an int32.
    constexpr int32_t maxCount = int32_t{1} << 29;
    if (count <= 0 || count > maxCount || ((count - 1) & count) != 0 || newElementSize <= 0) {
        return -1;
    }
    capacity = count;
    data = static_cast<char*>(storage);
    flush();
    wrapMask = 2 * count - 1;
    indexMask = count - 1;
    elementSize = newElementSize;
    return 0;
}

int32_t EventRingBuffer::readAvailable() const {
    return (writeIndex.load(std::memory_order_acquire) -
            readIndex.load(std::memory_order_acquire)) &
           wrapMask;
}

int32_t EventRingBuffer::writeAvailable() const {
    return capacity - readAvailable();
}

void EventRingBuffer::flush() {
    writeIndex.store(0, std::memory_order_relaxed);
    readIndex.store(0, std::memory_order_relaxed);
}

namespace {

// Splits n elements starting at ring index `index` into the part up to the end
// of the storage and the part that wraps to its start.
void splitRegions(const EventRingBuffer& ring, int32_t index, int32_t n, void** region1,
                  int32_t* count1, void** region2, int32_t* count2) {
    const int32_t slot = index & ring.indexMask;
    *region1 = ring.data + static_cast<std::ptrdiff_t>(slot) * ring.elementSize;
    if (slot + n > ring.capacity) {
        *count1 = ring.capacity - slot;
        *region2 = ring.data;
        *count2 = n - *count1;
    } else {
        *count1 = n;
        *region2 = nullptr;
        *count2 = 0;
    }
}

} // namespace

int32_t EventRingBuffer::writeRegions(int32_t count, void** region1, int32_t* count1,
                                      void** region2, int32_t* count2) {
    const int32_t n = std::max(0, std::min(count, writeAvailable()));
    splitRegions(*this, writeIndex.load(std::memory_order_relaxed), n, region1, count1, region2,
                 count2);
    return n;
}

int32_t EventRingBuffer::advanceWrite(int32_t n) {
    const int32_t next = (writeIndex.load(std::memory_order_relaxed) + n) & wrapMask;
    writeIndex.store(next, std::memory_order_release);
    return next;
}

int32_t EventRingBuffer::readRegions(int32_t count, void** region1, int32_t* count1, void** region2,
                                     int32_t* count2) {
    const int32_t n = std::max(0, std::min(count, readAvailable()));
    splitRegions(*this, readIndex.load(std::memory_order_relaxed), n, region1, count1, region2,
                 count2);
    return n;
}

int32_t EventRingBuffer::advanceRead(int32_t n) {
    const int32_t next = (readIndex.load(std::memory_order_relaxed) + n) & wrapMask;
    readIndex.store(next, std::memory_order_release);
    return next;
}

int32_t EventRingBuffer::write(const void* source, int32_t count) {
    // One element never straddles the end of the storage: the event queue's
    // every write takes this path.
    if (count == 1) {
        const int32_t index = writeIndex.load(std::memory_order_relaxed);
        if (((index - readIndex.load(std::memory_order_acquire)) & wrapMask) >= capacity) {
            return 0;
        }
        std::memcpy(data + static_cast<std::ptrdiff_t>(index & indexMask) * elementSize, source,
                    static_cast<std::size_t>(elementSize));
        writeIndex.store((index + 1) & wrapMask, std::memory_order_release);
        return 1;
    }
    void* region1;
    void* region2;
    int32_t count1;
    int32_t count2;
    const int32_t n = writeRegions(count, &region1, &count1, &region2, &count2);
    if (n == 0) {
        return 0;
    }
    const auto* bytes = static_cast<const char*>(source);
    const std::size_t size1 = static_cast<std::size_t>(count1) * elementSize;
    std::memcpy(region1, bytes, size1);
    if (count2 > 0) {
        std::memcpy(region2, bytes + size1, static_cast<std::size_t>(count2) * elementSize);
    }
    advanceWrite(n);
    return n;
}

int32_t EventRingBuffer::read(void* target, int32_t count) {
    if (count == 1) {
        const int32_t index = readIndex.load(std::memory_order_relaxed);
        if (((writeIndex.load(std::memory_order_acquire) - index) & wrapMask) == 0) {
            return 0;
        }
        std::memcpy(target, data + static_cast<std::ptrdiff_t>(index & indexMask) * elementSize,
                    static_cast<std::size_t>(elementSize));
        readIndex.store((index + 1) & wrapMask, std::memory_order_release);
        return 1;
    }
    void* region1;
    void* region2;
    int32_t count1;
    int32_t count2;
    const int32_t n = readRegions(count, &region1, &count1, &region2, &count2);
    if (n == 0) {
        return 0;
    }
    auto* bytes = static_cast<char*>(target);
    const std::size_t size1 = static_cast<std::size_t>(count1) * elementSize;
    std::memcpy(bytes, region1, size1);
    if (count2 > 0) {
        std::memcpy(bytes + size1, region2, static_cast<std::size_t>(count2) * elementSize);
    }
    advanceRead(n);
    return n;
}
