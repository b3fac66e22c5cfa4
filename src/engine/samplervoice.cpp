#include "engine/samplervoice.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "engine/sample.h"
#include "engine/samplerzone.h"

namespace {

// The counting pass only learns how many floats the output stage will
// consume; the values it fetches are thrown away. It reads them from here
// rather than from the sample, whose data may end within the window.
const float COUNT_WINDOW_SILENCE[SAMPLER_VOICE_COUNT_WINDOW] = {};

// Far above the root the upsampling factor would not fit an int32. Every
// factor above 32 makes the counting pass find nothing to consume, so such a
// note sounds the same (silence) as one this far up.
constexpr int64_t MAX_SEMITONES_UP = 240;

// Whole frames only: a trailing lone float (an odd float count) could never be
// fetched, and the voice would wait for it to be consumed forever.
int32_t playableFloats(const Sample* sample) {
    return sample != nullptr ? sample->numSamples() & ~1 : 0;
}

} // namespace

SamplerVoice::PitchPlan SamplerVoice::pitchPlan(int32_t note, int32_t rootKey) {
    // In 64 bits: a pack may give any int32 as root key. Far below the root
    // the ratio only approaches 0, which the one-stage path plays as it is.
    const int64_t semitones =
        std::min<int64_t>(static_cast<int64_t>(note) - rootKey, MAX_SEMITONES_UP);
    PitchPlan plan{};
    plan.ratio = static_cast<double>(
        std::pow(2.0f, static_cast<float>(static_cast<double>(semitones) / 12.0)));
    plan.twoStage = plan.ratio > 1.0;
    if (plan.twoStage) {
        plan.upsampleFactor = static_cast<int32_t>(std::ceil(plan.ratio));
        plan.upsampleRate = plan.ratio / plan.upsampleFactor;
    } else {
        plan.upsampleFactor = 1;
        plan.upsampleRate = plan.ratio;
    }
    return plan;
}

SamplerVoice::SamplerVoice(float* upsampleBuffer)
    : m_pUpsampler(std::make_unique<LinearResampler>()),
      m_pOutResampler(std::make_unique<LinearResampler>()),
      m_pCountResampler(std::make_unique<LinearResampler>()), m_pUpsampleBuffer(upsampleBuffer) {
    if (m_pUpsampleBuffer == nullptr) {
        m_ownUpsampleBuffer = std::make_unique<float[]>(SAMPLER_VOICE_UPSAMPLE_FLOATS);
        m_pUpsampleBuffer = m_ownUpsampleBuffer.get();
    }
}

SamplerVoice::~SamplerVoice() = default;

void SamplerVoice::setZone(SamplerZone* zone) {
    setActive(false);
    m_pZone = zone;
    m_iPlayPosOffset = 0;
    m_pEnvelope = nullptr;
    if (zone != nullptr) {
        m_adsr = ADSR(zone->m_adsrParams);
        m_pEnvelope = &m_adsr;
        m_pSample = zone->m_pSample;
        m_rootKey = zone->m_rootKey;
    } else {
        m_pSample = nullptr;
    }
}

void SamplerVoice::trigger(int32_t note) {
    m_framesSinceTrigger = 0;
    if (m_pEnvelope != nullptr) {
        m_pEnvelope->noteOn(1.0);
    }
    m_note = note;
    m_iPlayPosOffset = 0;
    setActive(true);
}

void SamplerVoice::release() {
    if (m_pEnvelope != nullptr && m_pEnvelope->isActive()) {
        m_pEnvelope->noteOff();
    }
}

int32_t SamplerVoice::render(float* mix, int32_t numFrames, EventTickFunction tick,
                             EventRingBuffer* queue) {
    if (!isActive() || m_pSample == nullptr) {
        return 0;
    }
    assert(numFrames >= 0 && numFrames <= SAMPLER_VOICE_MAX_FRAMES);
    numFrames = std::clamp(numFrames, 0, SAMPLER_VOICE_MAX_FRAMES);

    const int32_t usable = playableFloats(m_pSample);
    const int32_t remaining = std::max(usable - m_iPlayPosOffset, 0);
    const int32_t count = remaining < 2 * numFrames ? remaining : 2 * numFrames;
    const int32_t frames = (count + 1) / 2;
    const float* const pSrcBuffer =
        m_pSample->m_pData != nullptr ? m_pSample->m_pData + m_iPlayPosOffset : nullptr;

    const PitchPlan plan = pitchPlan(m_note, m_rootKey);
    const float* source = pSrcBuffer;
    double rate = plan.ratio;
    int32_t sourceFloats = remaining;

    if (plan.twoStage) {
        // Counting pass: predicts what the output stage will consume at the
        // whole-number step, so that exactly that much is upsampled.
        int32_t total = 0;
        if (count > 0) {
            float scratchL = 0.0f;
            float scratchR = 0.0f;
            for (int32_t j = 0; j < frames; ++j) {
                total +=
                    m_pCountResampler->process(&scratchL, &scratchR, 0, plan.upsampleFactor,
                                               COUNT_WINDOW_SILENCE, SAMPLER_VOICE_COUNT_WINDOW);
            }
            if (total > 0) {
                total += 2;
            }
        }
        assert(total <= SAMPLER_VOICE_UPSAMPLE_FLOATS);
        total = std::min(total, SAMPLER_VOICE_UPSAMPLE_FLOATS);

        float* const buffer = m_pUpsampleBuffer;
        int32_t consumed = 0;
        for (int32_t i = 0; i < total; i += 2) {
            buffer[i] = 0.0f;
            buffer[i + 1] = 0.0f;
            if (remaining - consumed <= 0) {
                std::fill(buffer + i, buffer + total, 0.0f);
                setActive(false);
                break;
            }
            consumed += m_pUpsampler->process(&buffer[i], &buffer[i + 1], 0, plan.upsampleRate,
                                              pSrcBuffer + consumed, remaining - consumed);
        }
        m_iPlayPosOffset += consumed;
        if (m_iPlayPosOffset >= usable) {
            setActive(false);
            m_iPlayPosOffset = 0;
        }
        source = buffer;
        rate = static_cast<double>(plan.upsampleFactor);
        sourceFloats = total;
    }

    int32_t position = 0;
    for (int32_t j = 0; j < frames; ++j) {
        if (tick != nullptr) {
            tick(queue);
        }
        float left = 0.0f;
        float right = 0.0f;
        position += m_pOutResampler->process(&left, &right, 0, rate,
                                             source != nullptr ? source + position : nullptr,
                                             sourceFloats - position);
        // Read afresh every frame: the tick may have bound, triggered or
        // released this very voice.
        const float env =
            m_pEnvelope != nullptr
                ? m_pEnvelope->process(static_cast<double>(m_framesSinceTrigger) / 44100.0 / 10.0)
                : 0.0f;
        mix[2 * j] += env * left;
        mix[2 * j + 1] += env * right;
        ++m_framesSinceTrigger;
    }

    // The tick may have bound this voice to another zone meanwhile: the end
    // tests look at the sample it holds now.
    const int32_t endFloats = playableFloats(m_pSample);
    if (!plan.twoStage) {
        m_iPlayPosOffset += position;
        if (m_iPlayPosOffset >= endFloats) {
            setActive(false);
        }
    }
    if (m_iPlayPosOffset == endFloats || m_pEnvelope == nullptr || !m_pEnvelope->isActive()) {
        setActive(false);
    }
    return frames;
}
