#include "engine/sampler.h"

#include <google/protobuf/stubs/common.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>

Sampler::Sampler() {
    m_ready.store(false);
    m_comp = 1.0f;
    // The pack classes are generated for the protobuf headers we build with;
    // refuse to run against a library older than they need.
    GOOGLE_PROTOBUF_VERIFY_VERSION;
    m_pMutex = std::make_unique<pthread_mutex_t>();
    pthread_mutex_init(m_pMutex.get(), nullptr);
    m_upsampleBuffer = std::make_unique<float[]>(SAMPLER_VOICE_UPSAMPLE_FLOATS);
    for (auto& voice : m_voices) {
        voice = std::make_unique<SamplerVoice>(m_upsampleBuffer.get());
    }
    m_mixBuffer = std::make_unique<float[]>(SAMPLER_MIXING_BUF_SAMPLES);
    for (auto& held : m_noteVoices) {
        held.store(nullptr, std::memory_order_relaxed);
    }
    std::fill(std::begin(m_keymap), std::end(m_keymap), nullptr);
    m_ready.store(true, std::memory_order_release);
}

Sampler::~Sampler() {
    if (m_loaderRunning) {
        pthread_join(m_loaderThread, nullptr);
    }
    {
        MutexLock lock(m_pMutex.get());
        m_ready.store(false, std::memory_order_release);
        for (auto& voice : m_voices) {
            voice.reset();
        }
        clearZones();
        m_mixBuffer.reset();
    }
    pthread_mutex_destroy(m_pMutex.get());
}

void Sampler::noteOn(int32_t note) {
    assert(note < SAMPLER_NUM_NOTES);
    assert(note >= 0);
    if (note < 0 || note >= SAMPLER_NUM_NOTES || !m_ready.load(std::memory_order_acquire)) {
        return;
    }
    SamplerVoice* held = m_noteVoices[note].load(std::memory_order_relaxed);
    // An entry outlives its voice when the voice ends by itself; only a voice
    // that still plays this note is this note's.
    if (held != nullptr && held->isActive() && held->note() == note) {
        std::printf("killing already-playing note\n");
        held->release();
    }
    // Forgotten either way: a second release would restart the release ramp
    // from the full level.
    m_noteVoices[note].store(nullptr, std::memory_order_relaxed);

    // A key without a zone takes no voice: such a voice could never end.
    SamplerZone* const zone = m_keymap[note];
    if (zone == nullptr) {
        return;
    }
    for (int32_t i = 0; i < SAMPLER_NUM_VOICES; ++i) {
        SamplerVoice& voice = *m_voices[i];
        if (!voice.isActive()) {
            std::printf("activating voice %d, zone: %p\n", i, static_cast<void*>(zone));
            voice.setZone(zone);
            voice.trigger(note);
            m_noteVoices[note].store(&voice, std::memory_order_relaxed);
            return;
        }
    }
}

void Sampler::noteOff(int32_t note) {
    if (note < 0 || note >= SAMPLER_NUM_NOTES || !m_ready.load(std::memory_order_acquire)) {
        return;
    }
    SamplerVoice* held = m_noteVoices[note].exchange(nullptr, std::memory_order_relaxed);
    if (held != nullptr && held->isActive() && held->note() == note) {
        held->release();
    }
}

void Sampler::stopAllVoices() {
    if (!m_ready.load(std::memory_order_acquire)) {
        return;
    }
    for (auto& voice : m_voices) {
        voice->setActive(false);
    }
    for (auto& held : m_noteVoices) {
        held.store(nullptr, std::memory_order_relaxed);
    }
}

void Sampler::mix(float* out, int32_t numFrames, EventTickFunction tick, EventRingBuffer* queue) {
    // Longer blocks play as consecutive blocks would: one tick per frame, the
    // voice count and the compensation's glide taken afresh per piece.
    while (numFrames > 0) {
        const int32_t piece = std::min(numFrames, SAMPLER_MAX_BLOCK_FRAMES);
        mixPiece(out, piece, tick, queue);
        out += piece * JAM_FRAMESIZE;
        numFrames -= piece;
    }
}

void Sampler::mixPiece(float* out, int32_t numFrames, EventTickFunction tick,
                       EventRingBuffer* queue) {
    assert(numFrames * JAM_FRAMESIZE <= SAMPLER_MIXING_BUF_SAMPLES);
    if (!m_ready.load(std::memory_order_acquire)) {
        return;
    }
    MutexLock lock(m_pMutex.get());

    int32_t voiceCount = 0;
    for (const auto& voice : m_voices) {
        voiceCount += voice->isActive() ? 1 : 0;
    }
    const int32_t floats = numFrames * JAM_FRAMESIZE;
    float* const mixBuffer = m_mixBuffer.get();
    std::fill(mixBuffer, mixBuffer + floats, 0.0f);

    bool ticked = false;
    int32_t tickedFrames = 0;
    for (auto& voice : m_voices) {
        assert(voice);
        if (!ticked && voice->isActive()) {
            ticked = true;
            tickedFrames = voice->render(mixBuffer, numFrames, tick, queue);
        } else {
            voice->render(mixBuffer, numFrames, nullptr, nullptr);
        }
    }
    if (tick != nullptr) {
        for (int32_t frame = tickedFrames; frame < numFrames; ++frame) {
            tick(queue);
        }
    }

    const float target = voiceCount > 0 ? static_cast<float>(voiceCount) : 1.0f;
    assert(m_comp != 0.0f);
    int32_t j = 0;
    if (static_cast<double>(target) - 0.005 > static_cast<double>(m_comp) ||
        static_cast<double>(m_comp) > static_cast<double>(target) + 0.005) {
        // Glide over the first 64 frames, a step per float, so that a voice
        // starting or ending does not jump the level.
        const float delta = (target - m_comp) * 0.0078125f;
        for (; j < floats && j < 128; ++j) {
            m_comp += delta;
            out[j] += (1.0f / std::sqrt(m_comp)) * mixBuffer[j];
        }
    }
    const float gain = 1.0f / std::sqrt(m_comp);
    for (; j < floats; ++j) {
        out[j] += gain * mixBuffer[j];
    }
}

void Sampler::clearZones() {
    std::fill(std::begin(m_keymap), std::end(m_keymap), nullptr);
    for (auto& zone : m_zones) {
        zone.reset();
    }
    m_zones.clear();
}
