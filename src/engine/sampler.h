#pragma once
// The sampler core: ten voices, the key map of the installed sample pack and
// the mix of one block, compensated for the number of sounding voices.

#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/samplervoice.h"
#include "engine/samplerzone.h"
#include "engine/synthevent.h"

namespace Kestrovalian {
class SamplePack;
}

constexpr int32_t JAM_FRAMESIZE = 2; // floats per stereo frame
constexpr int32_t SAMPLER_MIXING_BUF_SAMPLES = 32768;
constexpr int32_t SAMPLER_MAX_BLOCK_FRAMES = SAMPLER_MIXING_BUF_SAMPLES / JAM_FRAMESIZE;
constexpr int32_t SAMPLER_NUM_VOICES = 10;
constexpr int32_t SAMPLER_NUM_NOTES = 128;

// Threads and the one lock:
// - mix runs on the audio thread and holds the mutex for each block; noteOn
//   and noteOff run only from the event tick inside mix, so under that lock.
// - loadSamplePack (and the file loaders that end in it) run on the thread
//   that changes programs and hold the mutex while the new pack is installed;
//   a block meanwhile is silent (tick not run) or waits.
// - stopAllVoices runs on the program-changing thread without the lock; it
//   touches only atomics.
class Sampler {
public:
    // Ten idle voices, no zones, mix buffer and mutex made; ready to play,
    // though every key is without a zone until a pack is installed. Not the
    // audio thread; throws std::bad_alloc.
    Sampler();
    // Waits for a running asynchronous loader, then frees voices, zones and
    // buffers under the lock. Only when no other thread uses the sampler.
    ~Sampler();
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;

    // Starts `note` (0..127) on the first free voice, bound to the note's zone.
    // A note still held is released first ("killing already-playing note").
    // No free voice, or no zone for the key: the note is dropped. Prints
    // "activating voice <i>, zone: <address>". Audio thread, inside mix.
    void noteOn(int32_t note);
    // Releases the voice that `note` started, if it still plays that note.
    // Audio thread, inside mix.
    void noteOff(int32_t note);
    // Silences every voice at once (no release) and forgets every held note.
    // Any thread; no lock.
    void stopAllVoices();
    // Renders every voice for numFrames frames and adds the compensated mix
    // into `out` (interleaved stereo). Runs `tick` with `queue` once per frame,
    // through the first sounding voice where there is one. Blocks above
    // SAMPLER_MAX_BLOCK_FRAMES are mixed as consecutive pieces. While a pack
    // is being installed: returns at once, no tick. Audio thread: no
    // allocation, waits only on the mutex.
    void mix(float* out, int32_t numFrames, EventTickFunction tick, EventRingBuffer* queue);
    // Removes every zone and the key map. The caller holds the mutex.
    void clearZones();

    // Installs a parsed pack: under the mutex, stops every voice, frees the
    // old zones, makes a zone per record (reading its WAV file from
    // folder + "/" + filename) and maps the clamped key ranges, later zones
    // winning. Never fails: unreadable WAV files give zones without data.
    // Program-changing thread; blocks on I/O; throws std::bad_alloc.
    void loadSamplePack(const Kestrovalian::SamplePack& pack, std::string folder);
    // Prints "Loading sample pack from file: <path>", parses the file (at most
    // 64 MiB, nesting 64; whatever parsed before damage is kept) and installs
    // it. A file that cannot be opened prints "Failed to open sample pack:
    // <path>" and changes nothing. Program-changing thread; blocks on I/O.
    void loadSamplePackFile(std::string path, std::string folder);
    // As loadSamplePackFile for folder + "/samplepack.jsfb", without the
    // "Loading" line. Program-changing thread.
    void loadDefaultSamplePack(std::string folder);
    // Start a loader thread for the file (or the default pack) and call
    // `done` on it when the pack is installed. A loader still running from
    // an earlier call is waited for first. Any thread but the audio thread.
    void loadSamplePackFileAsync(std::string file, std::string folder, std::function<void()> done);
    void loadDefaultSamplePackAsync(std::string folder, std::function<void()> done);

    // Inspection, for any thread that does not race mix or a load.
    bool isReady() const { return m_ready.load(std::memory_order_acquire); }
    float compensation() const { return m_comp; }
    SamplerVoice& voice(int32_t index) { return *m_voices[static_cast<std::size_t>(index)]; }
    SamplerZone* zoneForKey(int32_t note) const { return m_keymap[note]; }
    SamplerVoice* heldVoice(int32_t note) const {
        return m_noteVoices[note].load(std::memory_order_relaxed);
    }
    const std::vector<std::unique_ptr<SamplerZone>>& zones() const { return m_zones; }

private:
    // The core's one lock, released on every way out. A lock that cannot be
    // taken is not fatal: the block is mixed without it, and nothing is
    // released.
    class MutexLock {
    public:
        explicit MutexLock(pthread_mutex_t* mutex)
            : m_mutex(pthread_mutex_lock(mutex) == 0 ? mutex : nullptr) {}
        ~MutexLock() {
            if (m_mutex != nullptr) {
                pthread_mutex_unlock(m_mutex);
            }
        }
        MutexLock(const MutexLock&) = delete;
        MutexLock& operator=(const MutexLock&) = delete;

    private:
        pthread_mutex_t* m_mutex;
    };

    // Reads and installs the pack at `path`; false, with nothing changed, when
    // it cannot be opened as a file.
    bool installPackFile(const std::string& path, std::string folder);
    struct LoaderRequest;
    static void* loaderThreadMain(void* request);
    void startLoader(std::string file, std::string folder, std::function<void()> done);
    void mixPiece(float* out, int32_t numFrames, EventTickFunction tick, EventRingBuffer* queue);

    std::vector<std::unique_ptr<SamplerZone>> m_zones;
    SamplerZone* m_keymap[SAMPLER_NUM_NOTES] = {};
    std::unique_ptr<float[]> m_upsampleBuffer; // shared by the voices, which render in turn
    std::unique_ptr<SamplerVoice> m_voices[SAMPLER_NUM_VOICES];
    // Written by noteOn/noteOff inside mix and cleared by stopAllVoices on
    // another thread, hence atomic.
    std::atomic<SamplerVoice*> m_noteVoices[SAMPLER_NUM_NOTES] = {};
    std::atomic<bool> m_ready{false};
    std::unique_ptr<float[]> m_mixBuffer;
    float m_comp = 1.0f;
    pthread_t m_loaderThread{};
    bool m_loaderRunning = false;
    std::unique_ptr<pthread_mutex_t> m_pMutex;
};
