#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>
#include <tuple>

#include "engine/samplervoice.h"
#include "engine/samplerzone.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

// Rising and falling ramps, different in the two channels.
std::vector<int16_t> ramps(int count) {
    return frames(
        count, [](int k) { return static_cast<int16_t>((k * 37) % 20000 - 10000); },
        [](int k) { return static_cast<int16_t>(5000 - (k * 11) % 10000); });
}

// A zone with root key 60 over one WAV file, and a fresh voice for each note
// (the resamplers of a used voice carry state into its next note).
struct Rig {
    TempDir dir;
    std::unique_ptr<SamplerZone> zone;
    std::unique_ptr<SamplerVoice> voice;
    int rendered = -1; // by the last block

    explicit Rig(const std::vector<int16_t>& values) {
        writeWave(dir.file("z.wav"), values);
        zone = std::make_unique<SamplerZone>(0, 127, 0, 127, 60, dir.file("z.wav"));
        setEnvelope({0.0, 0.0, 1.0, 0.0});
    }
    void setEnvelope(std::array<double, 4> adsr) {
        std::copy_n(adsr.begin(), 4, zone->m_adsrParams);
    }
    SamplerVoice& play(int note, SamplerZone* bound = nullptr) {
        voice = std::make_unique<SamplerVoice>();
        voice->setZone(bound != nullptr ? bound : zone.get());
        voice->trigger(note);
        return *voice;
    }
    // One block mixed into silence.
    std::vector<float> block(int frames, EventTickFunction tick = nullptr) {
        std::vector<float> mix(static_cast<std::size_t>(frames) * 2, 0.0f);
        rendered = voice->render(mix.data(), frames, tick, nullptr);
        return mix;
    }
};

// The plan for each distance from the root, and the sample read at 2^(s/12)
// of its own rate on both paths; more than sixty up it is not read at all and
// the voice is silent. Root keys come from files: any int32 gives a finite
// plan, and far below its root a note keeps its own ratio, however small.
TEST(SamplerVoicePitch, FactorsRatesAndPlaybackSpeed) {
    // Semitones above the root, and the upsampling factor (0: one stage).
    const int cases[][2] = {{0, 0},  {-5, 0}, {-12, 0}, {1, 2},   {12, 2}, {13, 3},
                            {19, 3}, {20, 4}, {24, 4},  {60, 32}, {61, 34}};
    Rig rig(ramps(40000));
    for (const auto [semitones, factor] : cases) {
        SCOPED_TRACE(semitones);
        const auto plan = SamplerVoice::pitchPlan(60 + semitones, 60);
        EXPECT_EQ(std::pair(plan.twoStage, plan.upsampleFactor),
                  std::pair(factor != 0, std::max(factor, 1)));
        if (semitones > 24 && semitones <= 60) {
            continue;
        }
        const double speed = semitones > 60 ? 0.0 : std::pow(2.0, semitones / 12.0);
        SamplerVoice& voice = rig.play(60 + semitones);
        std::vector<float> out;
        for (int b = 0; b < 40; ++b) {
            out = rig.block(64);
            ASSERT_EQ(rig.rendered, 64);
        }
        EXPECT_NEAR(voice.m_iPlayPosOffset / (2.0 * 64 * 40), speed, 0.03 * speed);
        EXPECT_EQ(out[0] == 0.0f, speed == 0.0);
    }
    const std::tuple<int, int, double> far[] = {
        {127, INT_MIN, 0x1p20}, {127, INT_MAX, 0.0}, {0, 300, 0x1p-25}, {0, 396, 0x1p-33}};
    for (const auto& [note, root, ratio] : far) {
        const auto plan = SamplerVoice::pitchPlan(note, root);
        EXPECT_EQ(std::tuple(plan.ratio, plan.twoStage, plan.upsampleFactor),
                  std::tuple(ratio, ratio > 1.0, std::max(1, static_cast<int>(ratio))));
    }
}

// At the root key each output after the second is the mean of two
// neighbouring frames, read from the voice's own position in the sample.
TEST(SamplerVoicePitch, RootKeyPlaysTheSampleFrames) {
    const auto values = ramps(300);
    Rig rig(values);
    rig.play(60);
    auto x = [&](int frame, int c) { return decoded(values[2 * frame + c]); };
    auto between = [&](int a, int b, int c) {
        return static_cast<float>(x(a, c) + static_cast<double>(x(b, c) - x(a, c)) * 0.5);
    };
    std::vector<float> expected = {x(0, 0), x(0, 1), between(0, 2, 0), between(0, 2, 1)};
    for (int j = 2; j < 100; ++j) {
        expected.insert(expected.end(), {between(j, j + 1, 0), between(j, j + 1, 1)});
    }
    EXPECT_TRUE(samplesEqual(expected, rig.block(100)));
}

// Near its end a voice renders only the whole frames its sample has left,
// counted at the sample's own rate, and ends when the play position reaches
// the end. Short samples far above their root end inside the counting pass's
// look-ahead; blocks of 16 frames start the last block of the pitch-up path
// with fewer floats left than that pass looks at; a half frame at the end of
// an odd float count is never played, and must not keep the voice waiting.
TEST(SamplerVoiceEnd, SampleEndInsideABlockAtAnyPitch) {
    std::vector<int16_t> odd = constantFrames(100, 12000);
    odd.push_back(12000);
    for (const auto& values : {ramps(100), ramps(20), odd}) {
        Rig rig(values);
        const int wholeFloats = static_cast<int>(values.size()) / 2 * 2;
        for (const int blockSize : {512, 16}) {
            for (const int semitones : {-19, -7, -3, 0, 4, 12, 13, 30, 48, 60}) {
                SCOPED_TRACE(testing::Message() << values.size() << " floats, " << semitones
                                                << " semitones, block " << blockSize);
                SamplerVoice& voice = rig.play(60 + semitones);
                int blocks = 0;
                for (; voice.isActive() && blocks < 200; ++blocks) {
                    const int remaining = wholeFloats - voice.m_iPlayPosOffset;
                    const auto mix = rig.block(blockSize);
                    EXPECT_EQ(rig.rendered, std::min(blockSize, remaining / 2));
                    EXPECT_TRUE(allFinite(mix));
                    EXPECT_TRUE(std::all_of(mix.begin() + 2 * rig.rendered, mix.end(),
                                            [](float v) { return v == 0.0f; }));
                }
                EXPECT_FALSE(voice.isActive());
                // Below the root the rest plays over later blocks.
                EXPECT_TRUE(blockSize != 512 || (blocks == 1) == (semitones >= 0)) << blocks;
            }
        }
    }
}

SamplerVoice* g_voice = nullptr;
SamplerZone* g_emptyZone = nullptr;

// The envelope's time runs quadratically in frames: frame k after the
// trigger sits at k(k + 1) / 882000 in the zone's units (an attack of 1 is
// used up at frame 939), and frame m - 1 of a release begun by the tick after
// K frames at m(2K + m - 1) / 882000, from the level reached. Without attack
// or decay a note starts at its sustain level; a release time of 0 silences
// from the release's first frame and ends the voice with the block.
TEST(SamplerVoiceEnvelope, TimeRunsQuadraticallyInFrames) {
    Rig rig(constantFrames(40000, 16000));
    const struct {
        double attack, sustain, release;
        int releaseAt; // frames rendered before the note-off; -1: none
    } cases[] = {{1, 1, 1, -1}, {1, 1, 1, 2000}, {1, 1, 1, 200}, {0, 0.5, 0, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.releaseAt);
        rig.setEnvelope({c.attack, 0.0, c.sustain, c.release});
        g_voice = &rig.play(60);
        TickProbe::reset(c.releaseAt, [] { g_voice->release(); });
        const auto mix = rig.block(2400, &TickProbe::tick);
        EXPECT_EQ(TickProbe::calls, 2400);
        const auto on = [&](double k) {
            return c.attack == 0.0 ? c.sustain : std::min(1.0, k * (k + 1.0) / 882000.0 / c.attack);
        };
        for (int k = 0; k < 2400; ++k) {
            const double m = k - c.releaseAt + 1.0,
                         t = m * (2.0 * c.releaseAt + m - 1.0) / 882000.0;
            const double off =
                c.release == 0.0 ? 0.0 : on(c.releaseAt - 1) * std::max(0.0, 1 - t / c.release);
            ASSERT_NEAR(mix[2 * k] / decoded(16000),
                        c.releaseAt >= 0 && k >= c.releaseAt ? off : on(k), 1e-6)
                << k;
        }
        EXPECT_EQ(g_voice->isActive(), c.releaseAt < 0);
    }
}

// Without a zone a voice renders nothing and runs no tick; a zone whose
// sample has no data ends the voice at once, also when the voice's own tick
// starts that note after the pitch-up path ran out of its sample.
TEST(SamplerVoiceState, WithoutZoneOrSampleDataRendersNothing) {
    Rig rig(ramps(20));
    SamplerZone empty(0, 127, 0, 127, 60, rig.dir.file("absent.wav"));
    g_emptyZone = &empty;
    SamplerVoice& voice = rig.play(60);
    voice.setZone(nullptr);
    voice.trigger(60);
    TickProbe::reset();
    rig.block(32, &TickProbe::tick);
    EXPECT_EQ(rig.rendered + TickProbe::calls, 0);
    voice.release(); // no envelope: nothing to do, nothing to crash
    EXPECT_TRUE(voice.isActive());

    rig.play(60, &empty);
    EXPECT_TRUE(samplesEqual(std::vector<float>(64, 0.0f), rig.block(32)));
    EXPECT_EQ(rig.rendered, 0);
    EXPECT_FALSE(rig.voice->isActive());

    g_voice = &rig.play(72);
    TickProbe::reset(5, [] {
        ASSERT_FALSE(g_voice->isActive()) << "the upsampling pass ran out of sample";
        g_voice->setZone(g_emptyZone);
        g_voice->trigger(64);
    });
    EXPECT_TRUE(allFinite(rig.block(64, &TickProbe::tick)));
    EXPECT_EQ(std::pair(rig.rendered, TickProbe::calls), std::pair(20, 20));
    EXPECT_FALSE(g_voice->isActive());
}

} // namespace
