#pragma once
// One voice of the sampler: plays the sample of the key zone that its note
// maps to, pitched by linear resampling and shaped by an ADSR envelope, into
// the sampler's interleaved stereo mix buffer one block at a time.

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/envelope.h"
#include "engine/linearresampler.h"
#include "engine/synthevent.h"

class Sample;
class SamplerZone;

// Frames that one render call covers at most.
constexpr int32_t SAMPLER_VOICE_MAX_FRAMES = 16384;
// Floats that the counting pass of the pitch-up path is told it may read.
constexpr int32_t SAMPLER_VOICE_COUNT_WINDOW = 64;
// The intermediate buffer of the pitch-up path: the counting pass consumes at
// most the window per frame, plus the one frame added behind it.
constexpr int32_t SAMPLER_VOICE_UPSAMPLE_FLOATS =
    SAMPLER_VOICE_MAX_FRAMES * SAMPLER_VOICE_COUNT_WINDOW + 2;

// Notes at or below the zone's root key read the sample through one
// resampler; notes above it upsample into an intermediate buffer first and
// then read that at a whole-number step. The three resamplers are never reset:
// each note starts from the state the previous one left.
//
// Threads: everything but construction runs on the audio thread, inside the
// sampler's mix and under its lock, except setActive(false) and isActive,
// which the program-changing thread may call at any time. No allocation after
// construction.
class SamplerVoice {
public:
    // The pitch of a note against its zone's root key, as the render uses it.
    struct PitchPlan {
        double ratio;           // 2^(semitones / 12), computed in single precision
        bool twoStage;          // ratio > 1: upsample, then read at a whole step
        int32_t upsampleFactor; // ceil(ratio), for the two-stage path
        double upsampleRate;    // ratio / upsampleFactor, for the two-stage path
    };
    // The plan for `note` over `rootKey`. A note more than 240 semitones above
    // its root plays as one 240 above (silence either way). Any thread.
    static PitchPlan pitchPlan(int32_t note, int32_t rootKey);

    // Inactive, no zone, root key 60, three fresh resamplers. The pitch-up
    // path works in `upsampleBuffer` (SAMPLER_VOICE_UPSAMPLE_FLOATS floats,
    // not owned; voices that render one after another may share one), or in a
    // buffer of its own when none is given. Not the audio thread; throws
    // std::bad_alloc.
    explicit SamplerVoice(float* upsampleBuffer = nullptr);
    ~SamplerVoice();
    SamplerVoice(const SamplerVoice&) = delete;
    SamplerVoice& operator=(const SamplerVoice&) = delete;

    // Binds a zone (or none): clears the active flag, play position 0, and a
    // fresh envelope over the zone's settings with its sample and root key.
    // Without a zone: no envelope, no sample, the root key stays.
    void setZone(SamplerZone* zone);
    // Sets or clears the active flag; a clear silences the voice at once.
    // Any thread.
    void setActive(bool active) { m_active.store(active, std::memory_order_relaxed); }
    // Whether the voice renders. Any thread.
    bool isActive() const { return m_active.load(std::memory_order_relaxed); }
    // Starts `note`: frame counter 0, envelope on with gain 1, play position 0,
    // active. The resamplers keep their state.
    void trigger(int32_t note);
    // Starts the envelope's release, when it is sounding.
    void release();
    // Adds up to numFrames frames into mix (interleaved), running `tick` with
    // `queue` before each frame when a tick is given. Returns the frames
    // rendered, which is the number of ticks run; 0 when inactive or without
    // a sample. Renders at most SAMPLER_VOICE_MAX_FRAMES frames.
    int32_t render(float* mix, int32_t numFrames, EventTickFunction tick, EventRingBuffer* queue);

    // The note last triggered.
    int32_t note() const { return m_note; }

    Sample* m_pSample = nullptr;    // the bound zone's sample; not owned
    SamplerZone* m_pZone = nullptr; // the zone last bound; not owned
    std::atomic<bool> m_active{false};
    int32_t m_iPlayPosOffset = 0; // floats from the start of the sample's data
    int32_t m_note = 0;
    int32_t m_rootKey = 60;
    std::unique_ptr<LinearResampler> m_pUpsampler;
    std::unique_ptr<LinearResampler> m_pOutResampler;
    std::unique_ptr<LinearResampler> m_pCountResampler;
    Envelope* m_pEnvelope = nullptr; // &m_adsr while a zone is bound, else null
    int64_t m_framesSinceTrigger = 0;

private:
    // The envelope lives inside the voice: binding a zone on the audio thread
    // must not allocate, so a "new" envelope is this one made afresh.
    ADSR m_adsr{nullptr};
    std::unique_ptr<float[]> m_ownUpsampleBuffer;
    float* m_pUpsampleBuffer;
};
