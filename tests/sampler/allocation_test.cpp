// Counts heap allocations made while the engine renders in steady state:
// there must be none. Every C++ allocation passes the replaced operator new;
// C allocations are counted by interposing malloc (plain builds) or, under a
// sanitizer that owns malloc, by wrapping the calls that our own code makes.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>

#include "engine/samplerengine.h"
#include "platform/registry.h"
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

#ifdef AMBER_INTERPOSE_MALLOC
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) {
    count();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    count();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    count();
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    count();
    return __libc_memalign(alignment, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    count();
    *out = __libc_memalign(alignment, size);
    return *out != nullptr ? 0 : 12; // ENOMEM
}
void free(void* p) {
    __libc_free(p);
}
}
namespace {
void release(void* p) {
    __libc_free(p);
}
void* uncountedMalloc(std::size_t size) {
    return __libc_malloc(size);
}
void* uncountedMemalign(std::size_t alignment, std::size_t size) {
    return __libc_memalign(alignment, size);
}
} // namespace
#else
extern "C" {
void* __real_malloc(std::size_t);
void* __real_calloc(std::size_t, std::size_t);
void* __real_realloc(void*, std::size_t);
void* __real_aligned_alloc(std::size_t, std::size_t);
int __real_posix_memalign(void**, std::size_t, std::size_t);
void __real_free(void*);
void __wrap_free(void* p) {
    __real_free(p);
}
void* __wrap_malloc(std::size_t size) {
    count();
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t n, std::size_t size) {
    count();
    return __real_calloc(n, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
    count();
    return __real_realloc(p, size);
}
void* __wrap_aligned_alloc(std::size_t alignment, std::size_t size) {
    count();
    return __real_aligned_alloc(alignment, size);
}
int __wrap_posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    count();
    return __real_posix_memalign(out, alignment, size);
}
}
namespace {
void release(void* p) {
    __real_free(p);
}
void* uncountedMalloc(std::size_t size) {
    return __real_malloc(size);
}
void* uncountedMemalign(std::size_t alignment, std::size_t size) {
    void* p = nullptr;
    return __real_posix_memalign(&p, alignment, size) == 0 ? p : nullptr;
}
} // namespace
#endif

void* operator new(std::size_t size) {
    count();
    if (void* p = uncountedMalloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    count();
    return uncountedMalloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    count();
    if (void* p = uncountedMemalign(static_cast<std::size_t>(alignment), size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return operator new(size, alignment);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}

using namespace samplertest;

namespace {

TEST(SamplerAllocations, CounterSeesAllocations) {
    // Through volatile pointers, so that the optimiser keeps both allocations.
    static int* volatile object;
    static void* volatile block;
    g_allocations = 0;
    g_counting = true;
    object = new int(3);
    block = std::malloc(16);
    g_counting = false;
    delete object;
    std::free(block);
    EXPECT_EQ(g_allocations.load(), 2) << "the counter must see new and malloc";
}

// After the first blocks at each pitch and block size, rendering notes on
// both pitch paths, with events and note lines, allocates nothing.
TEST(SamplerAllocations, NoneWhileRenderingInSteadyState) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("sounds"));
    writeWave(dir.file("sounds/a.wav"), constantFrames(200000, 9000));
    writePack(dir.file("sounds/Our Favorites.jsfb"),
              makePack({{0, 127, 60, "a.wav", 1.0f, 10.0f, 0.7f, 20.0f}}));
    registry_test::setString("SOFTWARE\\Kestrovalian\\Amber Threshold", "InstallDir", dir.path());
    auto engine = std::make_unique<SamplerEngine>();
    registry_test::reset();
    engine->setProgram(0);

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
