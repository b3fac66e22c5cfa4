// Counts heap allocations made while the engine renders in steady state:
// there must be none. Every C++ allocation passes the replaced operator new;
// C allocations are counted by interposing malloc (plain builds) or, under a
// sanitizer that owns malloc, by wrapping the calls that our own code makes.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>

#include "engine/samplerengine.h"
#include "samplertestutil.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
void count() {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
}
} // namespace

// COUNTED(f) is the function that our code's calls of f reach; REAL(f) the
// C library's own.
#ifdef AMBER_INTERPOSE_MALLOC
#define COUNTED(f) f
#define REAL(f) __libc_##f
extern "C" void* __libc_memalign(std::size_t, std::size_t);
static void* realAligned(std::size_t alignment, std::size_t size) {
    return __libc_memalign(alignment, size);
}
#else
#define COUNTED(f) __wrap_##f
#define REAL(f) __real_##f
extern "C" int __real_posix_memalign(void**, std::size_t, std::size_t);
static void* realAligned(std::size_t alignment, std::size_t size) {
    void* p = nullptr;
    return __real_posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}
#endif

extern "C" {
void* REAL(malloc)(std::size_t);
void* REAL(calloc)(std::size_t, std::size_t);
void* REAL(realloc)(void*, std::size_t);
void REAL(free)(void*);
void* COUNTED(malloc)(std::size_t size) {
    count();
    return REAL(malloc)(size);
}
void* COUNTED(calloc)(std::size_t n, std::size_t size) {
    count();
    return REAL(calloc)(n, size);
}
void* COUNTED(realloc)(void* p, std::size_t size) {
    count();
    return REAL(realloc)(p, size);
}
void* COUNTED(aligned_alloc)(std::size_t alignment, std::size_t size) {
    count();
    return realAligned(alignment, size);
}
void* COUNTED(memalign)(std::size_t alignment, std::size_t size) {
    count();
    return realAligned(alignment, size);
}
int COUNTED(posix_memalign)(void** out, std::size_t alignment, std::size_t size) {
    count();
    *out = realAligned(alignment, size);
    return *out != nullptr ? 0 : ENOMEM;
}
void COUNTED(free)(void* p) {
    REAL(free)(p);
}
}

// Every form of new and delete: a sanitizer's runtime defines each of them
// itself, so a form left out would pass by the counter.
namespace {
void* allocate(std::size_t size, std::size_t alignment = 0) {
    count();
    return alignment != 0 ? realAligned(alignment, size == 0 ? 1 : size)
                          : REAL(malloc)(size == 0 ? 1 : size);
}
void* allocateOrThrow(std::size_t size, std::size_t alignment = 0) {
    if (void* p = allocate(size, alignment)) {
        return p;
    }
    throw std::bad_alloc();
}
} // namespace
void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* p) noexcept {
    REAL(free)(p);
}
void operator delete[](void* p) noexcept {
    REAL(free)(p);
}
void operator delete(void* p, std::size_t) noexcept {
    REAL(free)(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    REAL(free)(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    REAL(free)(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    REAL(free)(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    REAL(free)(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    REAL(free)(p);
}

using namespace samplertest;

namespace {

TEST(SamplerAllocations, CounterSeesAllocations) {
    // Through volatile pointers, so that the optimiser keeps the allocations.
    static int* volatile object;
    static int* volatile array;
    static void* volatile block;
    g_allocations = 0;
    g_counting = true;
    object = new int(3);
    array = new (std::nothrow) int[4];
    block = std::malloc(16);
    g_counting = false;
    delete object;
    delete[] array;
    std::free(block);
    EXPECT_EQ(g_allocations.load(), 3) << "the counter must see new, new[] and malloc";
}

// After the first blocks at each pitch and block size, rendering notes on
// both pitch paths, with events and note lines, allocates nothing.
TEST(SamplerAllocations, NoneWhileRenderingInSteadyState) {
    Installation installation;
    writeWave(installation.sound("a.wav"), constantFrames(200000, 9000));
    writePack(installation.sound("Our Favorites.jsfb"), {{0, 127, 60, "a.wav", 1, 10, 0.7f, 20}});
    auto engine = installation.engine();

    std::vector<float> left(4096);
    std::vector<float> right(4096);
    float* outputs[2] = {left.data(), right.data()};
    auto play = [&](int blockSize, int blocks) {
        for (int b = 0; b < blocks; ++b) {
            // Half the voices below their root key, half above it by 1 to 12.
            const int note = 48 + (b * 5) % 25;
            engine->handleMidi(0x90, static_cast<uint8_t>(note), 100, b % blockSize);
            engine->handleMidi(0x80, static_cast<uint8_t>(48 + (b * 5 + 60) % 25), 0,
                               (b * 3) % blockSize);
            engine->process(nullptr, outputs, blockSize);
        }
    };
    for (const int blockSize : {1, 64, 512, 4096}) {
        play(blockSize, 60); // warm-up: first blocks at these pitches and this size
        g_allocations = 0;
        g_counting = true;
        play(blockSize, 60);
        g_counting = false;
        EXPECT_EQ(g_allocations.load(), 0) << "block size " << blockSize;
    }
}

} // namespace
