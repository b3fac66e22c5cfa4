// Counts heap allocations made while the engine renders in steady state:
// there must be none. This file's malloc family takes the place of the C
// library's, which operator new ends in too; its pthread_mutex_lock counts
// the mutexes taken: only the sampler's one. Built without sanitizers only,
// as they own the allocator.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <pthread.h>

#include "samplertestutil.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0}, g_locks{0}, g_otherMutexLocks{0};
std::atomic<const void*> g_lockedMutex{nullptr}; // the first one taken while counting
} // namespace

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void* malloc(std::size_t size) {
    g_allocations += g_counting;
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) {
    g_allocations += g_counting;
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) {
    g_allocations += g_counting;
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    g_allocations += g_counting;
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    return (*out = memalign(alignment, size)) != nullptr ? 0 : ENOMEM;
}
int pthread_mutex_lock(pthread_mutex_t* mutex) {
    using Lock = int (*)(pthread_mutex_t*);
    static const Lock real = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (g_counting) {
        const void* first = nullptr;
        ++g_locks;
        g_otherMutexLocks += !g_lockedMutex.compare_exchange_strong(first, mutex) && first != mutex;
    }
    return real(mutex);
}
}

using namespace samplertest;

namespace {

// After the first blocks at each pitch and block size, rendering notes on
// both pitch paths, with events and note lines, allocates nothing and takes
// no lock but the sampler's, once a block.
TEST(SamplerAllocations, NoneWhileRenderingInSteadyState) {
    Installation installation;
    writeWave(installation.sound("a.wav"), constantFrames(200000, 9000));
    writePack(installation.sound("Our Favorites.jsfb"), {{0, 127, 60, "a.wav", 1, 10, 0.7f, 20}});
    auto engine = installation.engine();
    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    for (const int blockSize : {1, 64, 512, 4096}) {
        // Warm-up: the first blocks at these pitches and this size.
        for (const bool counting : {false, true}) {
            g_allocations = g_locks = g_otherMutexLocks = 0;
            g_lockedMutex = nullptr;
            g_counting = counting;
            for (int b = 0; b < 60; ++b) {
                // Half the voices below their root key, half above it by 1 to 12.
                engine->handleMidi(0x90, 48 + (b * 5) % 25, 100, b % blockSize);
                engine->handleMidi(0x80, 48 + (b * 5 + 60) % 25, 0, (b * 3) % blockSize);
                engine->process(nullptr, outputs, blockSize);
            }
            g_counting = false;
        }
        EXPECT_EQ(std::tuple(g_allocations.load(), g_locks.load(), g_otherMutexLocks.load()),
                  std::tuple(0L, 60L, 0L))
            << "allocations, locks, other mutexes; block size " << blockSize;
    }
}

} // namespace
