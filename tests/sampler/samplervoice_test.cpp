#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>

#include "engine/samplervoice.h"
#include "engine/samplerzone.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

struct Env {
    double attack, decay, sustain, release;
};
constexpr Env FLAT{0.0, 0.0, 1.0, 0.0};

// A zone over one WAV file written into the test's folder.
std::unique_ptr<SamplerZone> makeZone(const TempDir& dir, const std::vector<int16_t>& values,
                                      int root, Env env = FLAT) {
    static int serial = 0;
    const std::string path = dir.file("z" + std::to_string(serial++) + ".wav");
    writeWave(path, values);
    auto zone = std::make_unique<SamplerZone>(0, 127, 0, 127, root, path);
    zone->m_adsrParams[0] = env.attack;
    zone->m_adsrParams[1] = env.decay;
    zone->m_adsrParams[2] = env.sustain;
    zone->m_adsrParams[3] = env.release;
    return zone;
}

int16_t ramp(int k) {
    return static_cast<int16_t>((k * 37) % 20000 - 10000);
}
int16_t rampRight(int k) {
    return static_cast<int16_t>(5000 - (k * 11) % 10000);
}

std::vector<float> renderBlock(SamplerVoice& voice, int frames, int* rendered = nullptr) {
    std::vector<float> mix(static_cast<std::size_t>(frames) * 2, 0.0f);
    const int n = voice.render(mix.data(), frames, nullptr, nullptr);
    if (rendered != nullptr) {
        *rendered = n;
    }
    return mix;
}

TEST(SamplerVoicePitch, FactorsAndRates) {
    struct Case {
        int semitones;
        bool twoStage;
        int factor;
        double rate;
    };
    const Case cases[] = {
        {0, false, 1, 1.0},
        {-5, false, 1, std::pow(2.0, -5.0 / 12.0)},
        {-12, false, 1, 0.5},
        {1, true, 2, 0.52973},
        {12, true, 2, 1.0},
        {13, true, 3, std::pow(2.0, 13.0 / 12.0) / 3.0},
        {19, true, 3, std::pow(2.0, 19.0 / 12.0) / 3.0},
        {20, true, 4, std::pow(2.0, 20.0 / 12.0) / 4.0},
        {24, true, 4, 1.0},
        {60, true, 32, 1.0},
        {61, true, 34, std::pow(2.0, 61.0 / 12.0) / 34.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.semitones);
        const auto plan = SamplerVoice::pitchPlan(60 + c.semitones, 60);
        EXPECT_EQ(plan.twoStage, c.twoStage);
        if (c.twoStage) {
            EXPECT_EQ(plan.upsampleFactor, c.factor);
        }
        EXPECT_NEAR(plan.upsampleRate, c.rate, 1e-4);
    }
    // Root keys come from files: any int32 must give a finite plan.
    for (const int root : {INT_MIN, INT_MAX}) {
        const auto plan = SamplerVoice::pitchPlan(127, root);
        EXPECT_TRUE(std::isfinite(plan.ratio));
        EXPECT_GE(plan.upsampleFactor, 1);
    }
    // Far below its root a note keeps its own ratio, however small.
    for (const int root : {300, 400, 2000}) {
        SCOPED_TRACE(root);
        const auto plan = SamplerVoice::pitchPlan(0, root);
        EXPECT_FALSE(plan.twoStage);
        EXPECT_EQ(plan.ratio,
                  static_cast<double>(std::pow(2.0f, static_cast<float>(-root / 12.0))));
    }
}

// The sample is read at 2^(s/12) of its own rate, on both paths.
TEST(SamplerVoicePitch, PlaybackSpeedFollowsThePitch) {
    TempDir dir;
    const auto zone = makeZone(dir, frames(40000, ramp, rampRight), 60);
    for (const int semitones : {-12, -5, 0, 1, 7, 12, 13, 19, 24}) {
        SCOPED_TRACE(semitones);
        SamplerVoice voice;
        voice.setZone(zone.get());
        voice.trigger(60 + semitones);
        constexpr int BLOCKS = 40;
        for (int b = 0; b < BLOCKS; ++b) {
            int rendered = 0;
            renderBlock(voice, 64, &rendered);
            ASSERT_EQ(rendered, 64);
        }
        ASSERT_TRUE(voice.isActive());
        const double speed = voice.m_iPlayPosOffset / (2.0 * 64 * BLOCKS);
        EXPECT_NEAR(speed, std::pow(2.0, semitones / 12.0), 0.03 * std::pow(2.0, semitones / 12.0));
    }
}

// At the root key each output after the second is the mean of two
// neighbouring frames, read from the voice's own position in the sample.
TEST(SamplerVoicePitch, RootKeyPlaysTheSampleFrames) {
    TempDir dir;
    const auto values = frames(300, ramp, rampRight);
    const auto zone = makeZone(dir, values, 60);
    SamplerVoice voice;
    voice.setZone(zone.get());
    voice.trigger(60);
    const std::vector<float> mix = renderBlock(voice, 100);

    auto x = [&](int frame, int channel) { return decoded(values[2 * frame + channel]); };
    auto between = [](float a, float b) {
        return static_cast<float>(a + static_cast<double>(b - a) * 0.5);
    };
    std::vector<float> expected;
    for (int c = 0; c < 2; ++c) {
        expected.push_back(x(0, c));
    }
    for (int c = 0; c < 2; ++c) {
        expected.push_back(between(x(0, c), x(2, c)));
    }
    for (int j = 2; j < 100; ++j) {
        for (int c = 0; c < 2; ++c) {
            expected.push_back(between(x(j, c), x(j + 1, c)));
        }
    }
    EXPECT_TRUE(floatsEqual(expected, mix));
}

TEST(SamplerVoicePitch, MoreThanSixtyUpIsSilentAndEndsWithItsEnvelope) {
    TempDir dir;
    const auto zone = makeZone(dir, constantFrames(5000, 20000), 60, {0.0, 0.0, 1.0, 1.0});
    SamplerVoice voice;
    voice.setZone(zone.get());
    voice.trigger(60 + 61);
    for (int b = 0; b < 4; ++b) {
        int rendered = 0;
        const auto mix = renderBlock(voice, 64, &rendered);
        EXPECT_EQ(rendered, 64);
        EXPECT_TRUE(floatsEqual(std::vector<float>(128, 0.0f), mix));
        EXPECT_EQ(voice.m_iPlayPosOffset, 0);
        EXPECT_TRUE(voice.isActive());
    }
    voice.release();
    for (int b = 0; b < 50 && voice.isActive(); ++b) {
        renderBlock(voice, 64);
    }
    EXPECT_FALSE(voice.isActive());
}

// Near its end a voice renders only the frames its sample has left, counted
// at the sample's own rate, and ends when the play position reaches the end.
TEST(SamplerVoiceEnd, SampleEndInsideABlockAtAnyPitch) {
    TempDir dir;
    constexpr int FRAMES = 100;
    const auto zone = makeZone(dir, frames(FRAMES, ramp, rampRight), 60);
    // Blocks of 16 frames also start the last block of the pitch-up path
    // with fewer floats left than its counting pass looks at.
    for (const int blockSize : {512, 16}) {
        for (const int semitones : {-19, -7, 0, 5, 12, 13, 30}) {
            SCOPED_TRACE(std::to_string(semitones) + " semitones, block " +
                         std::to_string(blockSize));
            SamplerVoice voice;
            voice.setZone(zone.get());
            voice.trigger(60 + semitones);
            int blocks = 0;
            while (voice.isActive() && blocks < 200) {
                const int remaining = 2 * FRAMES - voice.m_iPlayPosOffset;
                int rendered = 0;
                const auto mix = renderBlock(voice, blockSize, &rendered);
                EXPECT_EQ(rendered, std::min(blockSize, (remaining + 1) / 2));
                EXPECT_TRUE(allFinite(mix));
                for (std::size_t i = 2 * static_cast<std::size_t>(rendered); i < mix.size(); ++i) {
                    ASSERT_EQ(mix[i], 0.0f) << "wrote beyond the frames it reports, at " << i;
                }
                ++blocks;
            }
            EXPECT_FALSE(voice.isActive());
            if (blockSize == 512) {
                if (semitones >= 0) {
                    EXPECT_EQ(blocks, 1)
                        << "at or above the root the sample ends in its first block";
                } else {
                    EXPECT_GT(blocks, 1) << "below the root the rest plays over later blocks";
                }
            }
        }
    }
}

// The counting pass of the pitch-up path looks up to 64 floats ahead of the
// play position; a sample shorter than that must still be read only inside.
TEST(SamplerVoiceEnd, ShortSampleFarAboveItsRoot) {
    TempDir dir;
    const auto zone = makeZone(dir, frames(20, ramp, rampRight), 60);
    for (const int semitones : {1, 30, 48, 60}) {
        SCOPED_TRACE(semitones);
        SamplerVoice voice;
        voice.setZone(zone.get());
        voice.trigger(60 + semitones);
        int rendered = 0;
        const auto mix = renderBlock(voice, 64, &rendered);
        EXPECT_EQ(rendered, 20);
        EXPECT_TRUE(allFinite(mix));
    }
}

// A data chunk with an odd float count: the half frame at the end is never
// played, and the voice still ends instead of holding its last value.
TEST(SamplerVoiceEnd, OddFloatCountStillEnds) {
    TempDir dir;
    std::vector<int16_t> values = constantFrames(100, 12000);
    values.push_back(12000);
    const auto zone = makeZone(dir, values, 60);
    ASSERT_EQ(zone->m_pSample->numSamples(), 201);
    for (const int semitones : {-3, 0, 4}) {
        SCOPED_TRACE(semitones);
        SamplerVoice voice;
        voice.setZone(zone.get());
        voice.trigger(60 + semitones);
        for (int b = 0; b < 3 && voice.isActive(); ++b) {
            renderBlock(voice, 512);
        }
        EXPECT_FALSE(voice.isActive());
    }
}

TEST(SamplerVoiceEnvelope, FirstValueOfANote) {
    TempDir dir;
    struct Case {
        Env env;
        float firstGain; // of the first frame's sample value
    };
    const Case cases[] = {
        {{1.0, 2.0, 0.5, 1.0}, 0.0f}, // attack: starts from 0
        {{0.0, 5.0, 0.5, 1.0}, 1.0f}, // no attack, a decay: starts at full level
        {{0.0, 0.0, 0.5, 1.0}, 0.5f}, // neither: starts at the sustain level
    };
    for (const Case& c : cases) {
        const auto zone = makeZone(dir, constantFrames(1000, 16000), 60, c.env);
        SamplerVoice voice;
        voice.setZone(zone.get());
        voice.trigger(60);
        const auto mix = renderBlock(voice, 8);
        EXPECT_EQ(mix[0], c.firstGain * decoded(16000));
        EXPECT_EQ(mix[1], c.firstGain * decoded(16000));
    }
}

SamplerVoice* g_releasedVoice = nullptr;

// A note-off that the tick executes inside this voice's render acts on the
// very frame after that tick.
TEST(SamplerVoiceEnvelope, NoteOffFromTheTickActsInItsFrame) {
    TempDir dir;
    for (const double release : {0.0, 1.0}) {
        SCOPED_TRACE(release);
        const auto zone = makeZone(dir, constantFrames(2000, 16000), 60, {0.0, 0.0, 1.0, release});
        SamplerVoice voice;
        voice.setZone(zone.get());
        voice.trigger(60);
        g_releasedVoice = &voice;
        TickProbe::reset();
        TickProbe::actionAt = 10;
        TickProbe::action = [] { g_releasedVoice->release(); };
        std::vector<float> mix(256 * 2, 0.0f);
        EventRingBuffer* const noQueue = nullptr;
        const int rendered = voice.render(mix.data(), 256, &TickProbe::tick, noQueue);
        EXPECT_EQ(rendered, 256);
        EXPECT_EQ(TickProbe::calls, 256);
        const float full = decoded(16000);
        EXPECT_EQ(mix[2 * 9], full);
        if (release == 0.0) {
            // Release time 0 ends the envelope at the first release frame and
            // the voice at the end of the block.
            for (int j = 10; j < 256; ++j) {
                ASSERT_EQ(mix[2 * j], 0.0f) << j;
            }
            EXPECT_FALSE(voice.isActive());
        } else {
            EXPECT_LT(mix[2 * 10], full);
            EXPECT_GT(mix[2 * 10], 0.9f * full);
            EXPECT_LT(mix[2 * 255], mix[2 * 10]);
            EXPECT_TRUE(voice.isActive());
        }
    }
}

TEST(SamplerVoiceState, WithoutZoneOrSampleDataRendersNothing) {
    TempDir dir;
    SamplerVoice voice;
    voice.setZone(nullptr);
    voice.trigger(60);
    TickProbe::reset();
    std::vector<float> mix(64, 0.0f);
    EXPECT_EQ(voice.render(mix.data(), 32, &TickProbe::tick, nullptr), 0);
    EXPECT_EQ(TickProbe::calls, 0);
    voice.release(); // no envelope: nothing to do, nothing to crash
    EXPECT_TRUE(voice.isActive());

    SamplerZone missing(0, 127, 0, 127, 60, dir.file("absent.wav"));
    voice.setZone(&missing);
    voice.trigger(60);
    EXPECT_EQ(voice.render(mix.data(), 32, &TickProbe::tick, nullptr), 0);
    EXPECT_FALSE(voice.isActive()) << "a sample without data ends the voice at once";
    EXPECT_TRUE(floatsEqual(std::vector<float>(64, 0.0f), mix));
}

SamplerVoice* g_reboundVoice = nullptr;
SamplerZone* g_emptyZone = nullptr;

// The pitch-up path can run out of sample before its frames are output; a
// note that the tick then starts on this very voice is judged by its own
// sample at the end of the block: one without data ends the voice there.
TEST(SamplerVoiceState, NoteStartedByItsOwnTickMeetsTheEndTestsOfItsSample) {
    TempDir dir;
    const auto zone = makeZone(dir, frames(20, ramp, rampRight), 60);
    SamplerZone empty(0, 127, 0, 127, 60, dir.file("absent.wav"));
    SamplerVoice voice;
    voice.setZone(zone.get());
    voice.trigger(72);
    g_reboundVoice = &voice;
    g_emptyZone = &empty;
    TickProbe::reset();
    TickProbe::actionAt = 5;
    TickProbe::action = [] {
        ASSERT_FALSE(g_reboundVoice->isActive()) << "the upsampling pass ran out of sample";
        g_reboundVoice->setZone(g_emptyZone);
        g_reboundVoice->trigger(64);
    };
    std::vector<float> mix(64 * 2, 0.0f);
    EXPECT_EQ(voice.render(mix.data(), 64, &TickProbe::tick, nullptr), 20);
    EXPECT_EQ(TickProbe::calls, 20);
    EXPECT_FALSE(voice.isActive());
    EXPECT_TRUE(allFinite(mix));
}

} // namespace
