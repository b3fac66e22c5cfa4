#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <thread>

#include "engine/sampler.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

// Rising and falling ramps, different in the two channels.
std::vector<int16_t> ramps(int count) {
    return frames(
        count, [](int k) { return static_cast<int16_t>((k * 37) % 20000 - 10000); },
        [](int k) { return static_cast<int16_t>(5000 - (k * 11) % 10000); });
}

// A sampler over "short.wav" (40 frames) and "long.wav" (50000) of one
// value, and "z.wav" of the given values, in the test's folder; and a voice
// of its own, fresh for each note (the resamplers of a used voice carry state
// into its next note).
struct Rig {
    TempDir dir;
    Sampler sampler;
    std::unique_ptr<SamplerVoice> voice;
    int rendered = -1;                    // by the voice's last block
    static inline Rig* current = nullptr; // the latest, for the tick's actions

    explicit Rig(const std::vector<PackZone>& zones, const std::vector<int16_t>& values = {}) {
        writeWave(dir.file("short.wav"), constantFrames(40, 1000));
        writeWave(dir.file("long.wav"), constantFrames(50000, 1000));
        writeWave(dir.file("z.wav"), values);
        sampler.loadSamplePack(makePack(zones), dir.path());
        current = this;
    }
    // One block of the rig's own voice, once it has one, else of the
    // sampler, mixed into a buffer of `fill`.
    std::vector<float> mix(int frames, EventTickFunction tick = nullptr, float fill = 0.0f) {
        std::vector<float> out(static_cast<std::size_t>(frames) * 2, fill);
        if (voice) {
            rendered = voice->render(out.data(), frames, tick, nullptr);
        } else {
            sampler.mix(out.data(), frames, tick, nullptr);
        }
        return out;
    }
    // Each voice as one character: '.' silent, else its envelope's state
    // ('O' on, 'R' release).
    std::string voices() {
        std::string text;
        for (int i = 0; i < SAMPLER_NUM_VOICES; ++i) {
            const auto* adsr = static_cast<const ADSR*>(sampler.voice(i).m_pEnvelope);
            text += sampler.voice(i).isActive() ? "-OR"[adsr->m_state] : '.';
        }
        return text;
    }
    // A fresh voice playing `note` over `zone` (by default the first).
    SamplerVoice& fresh(int note, SamplerZone* zone = nullptr) {
        voice = std::make_unique<SamplerVoice>();
        voice->setZone(zone != nullptr ? zone : sampler.zones()[0].get());
        voice->trigger(note);
        return *voice;
    }
    // Starts the notes on the sampler; what they printed.
    std::string play(const std::vector<int>& notes) {
        testing::internal::CaptureStdout();
        std::for_each(notes.begin(), notes.end(), [&](int note) { sampler.noteOn(note); });
        return testing::internal::GetCapturedStdout();
    }
};

const float ONE = decoded(1000);

// The tick runs once per frame whatever the voices do (none, a voice that
// runs out, one frame, none, no voice). Stopping every voice silences at once and
// forgets the held notes; with no voice the block stays as it was. Keys
// without a zone take no voice. A voice that ended by itself is no
// longer its old note's: releasing or striking that note again must not
// touch the note it plays now. A held note struck again releases its voice
// and starts on a free one; struck again with no voice free, it releases its
// voice once and is dropped, and the note-off that follows must not restart
// that release. A note with no voice free is dropped; the next waits until a
// released voice has ended.
TEST(SamplerNotes, NotesOnTenVoices) {
    Rig rig({{20, 61, 60, "short.wav"}, {62, 127, 62, "long.wav", 0.0f, 0.0f, 1.0f, 100.0f}});
    const std::pair<std::vector<int>, int> ticks[] = {
        {{64}, 256}, {{60}, 256}, {{64}, 1}, {{64}, 0}, {{}, 256}};
    for (const auto& [notes, frames] : ticks) {
        SCOPED_TRACE(testing::Message() << notes.size() << " notes, " << frames << " frames");
        rig.sampler.stopAllVoices();
        EXPECT_TRUE(rig.voices() == ".........." && !rig.sampler.heldVoice(64));
        rig.play(notes);
        TickProbe::reset();
        const auto out = rig.mix(frames, &TickProbe::tick, 0.25f);
        EXPECT_EQ(TickProbe::calls, frames);
        EXPECT_TRUE(!notes.empty() || samplesEqual(std::vector<float>(512, 0.25f), out));
    }
    rig.play({0, 19, 60, 61});
    EXPECT_EQ(rig.voices(), "OO........");
    rig.mix(64);
    ASSERT_EQ(rig.voices(), "..........") << "the short sample has run out";
    rig.play({62, 63});
    rig.sampler.noteOff(60);
    EXPECT_EQ(rig.play({61}).find("killing"), std::string::npos);
    EXPECT_EQ(rig.voices(), "OOO.......");
    EXPECT_NE(rig.play({62}).find("killing already-playing note\n"), std::string::npos);
    rig.play({64, 65, 66, 67, 68, 69, 70});
    EXPECT_EQ(rig.voices(), "ROOOOOOOOO");
    EXPECT_TRUE(rig.sampler.heldVoice(69) == &rig.sampler.voice(9) && !rig.sampler.heldVoice(70));
    rig.mix(64);
    rig.play({70, 63}); // 70 on the voice of 61; 63 with no voice free
    EXPECT_TRUE(rig.voices() == "RROOOOOOOO" && !rig.sampler.heldVoice(63)) << rig.voices();
    rig.mix(64);
    const auto& adsr = *static_cast<const ADSR*>(rig.sampler.voice(1).m_pEnvelope);
    const double released = adsr.m_elapsed;
    rig.sampler.noteOff(63);
    EXPECT_EQ(adsr.m_elapsed, released) << "the release started over";

    for (int b = 0; b < 400 && rig.sampler.voice(0).isActive(); ++b) {
        rig.mix(64);
    }
    rig.play({71});
    EXPECT_EQ(rig.sampler.heldVoice(71), &rig.sampler.voice(0));
}

// From one voice to two the gain glides over 64 frames from 1 to 1/sqrt(2);
// a shorter block goes part of the way, the next glides on from there.
// The tick rides with the first sounding voice, not the first voice: an
// event it executes acts at its own frame on the voices after it. A note it
// starts takes the first free voice: one after the ticking voice renders
// this whole block, from its first frame; one before it has already rendered
// and sounds from the next block. Either way the block keeps the gain of the
// voices it began with.
TEST(SamplerMix, CompensationAndTheTickingVoice) {
    // Each note at its own root key: every frame of a note is the sample's.
    Rig rig({{60, 60, 60, "long.wav"}, {62, 62, 62, "long.wav"}, {64, 64, 64, "long.wav"}});
    rig.play({60});
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, ONE), rig.mix(64)));
    rig.play({62});
    for (const auto& [frames, compensation] : {std::pair{16, 1.25f}, {16, 1.4375f}, {64, 2.0f}}) {
        rig.mix(frames);
        EXPECT_EQ(rig.sampler.compensation(), compensation);
    }
    EXPECT_TRUE(
        samplesEqual(std::vector<float>(128, (1.0f / std::sqrt(2.0f)) * (ONE + ONE)), rig.mix(64)));

    rig.sampler.stopAllVoices();
    rig.play({60, 64});
    rig.sampler.voice(0).setActive(false); // voice 1 carries the tick
    rig.mix(64);
    TickProbe::reset(10, [] { Rig::current->sampler.noteOff(64); });
    auto out = rig.mix(64, &TickProbe::tick);
    EXPECT_TRUE(out[2 * 9] != 0.0f && out[2 * 10] == 0.0f);

    rig.play({60}); // voice 0 carries the tick
    rig.mix(64);
    TickProbe::reset(10, [] { Rig::current->sampler.noteOn(62); });
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, ONE + ONE), rig.mix(64, &TickProbe::tick)));
    ASSERT_EQ(rig.sampler.heldVoice(62), &rig.sampler.voice(1));

    rig.sampler.voice(0).setActive(false); // voice 1 carries the tick
    rig.mix(64);
    TickProbe::reset(10, [] { Rig::current->sampler.noteOn(64); });
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, ONE), rig.mix(64, &TickProbe::tick)));
    ASSERT_EQ(rig.sampler.heldVoice(64), &rig.sampler.voice(0));
    const float next = rig.mix(64)[0];
    EXPECT_TRUE(next > 1.99f * ONE && next < ONE + ONE) << "two voices from the next block";
}

// While a pack is being installed a block is silent and runs no tick; the
// installation stops every voice. A large sample keeps it going long enough
// to be seen.
TEST(SamplerMix, NoTickWhileAPackIsInstalled) {
    Rig rig({{0, 127, 60, "long.wav"}});
    rig.play({60});
    writeWave(rig.dir.file("big.wav"), constantFrames(1 << 21, 1));
    writePack(rig.dir.file("big.jsfb"), {{0, 127, 60, "big.wav"}, {0, 127, 60, "big.wav"}});
    bool seen = false;
    for (int attempt = 0; attempt < 5 && !seen; ++attempt) {
        std::atomic<bool> done{false};
        rig.sampler.loadSamplePackFileAsync(rig.dir.file("big.jsfb"), rig.dir.path(),
                                            [&done] { done = true; });
        while (rig.sampler.isReady() && !done) {
            std::this_thread::yield();
        }
        if ((seen = !rig.sampler.isReady())) {
            rig.sampler.stopAllVoices(); // meanwhile a no-op that waits for nothing
            TickProbe::reset();
            EXPECT_TRUE(samplesEqual(std::vector<float>(512, 0.0f), rig.mix(256, TickProbe::tick)));
            EXPECT_EQ(TickProbe::calls, 0);
        }
        while (!done) {
            std::this_thread::yield();
        }
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(rig.voices() + std::to_string(rig.sampler.zones().size()), "..........2");
}

TEST(SamplerVoicePitch, FactorsRatesAndPlaybackSpeed) {
    // Semitones above the root, and the upsampling factor (1: one stage).
    const int cases[][2] = {{0, 1},  {-5, 1}, {-12, 1}, {1, 2},   {12, 2}, {13, 3},
                            {19, 3}, {20, 4}, {24, 4},  {60, 32}, {61, 34}};
    Rig rig({{0, 127, 60, "z.wav"}}, ramps(40000));
    for (const auto [semitones, factor] : cases) {
        SCOPED_TRACE(semitones);
        const auto plan = SamplerVoice::pitchPlan(60 + semitones, 60);
        EXPECT_EQ(std::pair(plan.twoStage, plan.upsampleFactor), std::pair(factor > 1, factor));
        if (semitones > 24 && semitones <= 60) {
            continue;
        }
        const double speed = semitones > 60 ? 0.0 : std::pow(2.0, semitones / 12.0);
        SamplerVoice& voice = rig.fresh(60 + semitones);
        const auto out = rig.mix(2560);
        ASSERT_EQ(rig.rendered, 2560);
        EXPECT_NEAR(voice.m_iPlayPosOffset / (2.0 * 2560), speed, 0.03 * speed);
        EXPECT_EQ(out.back() == 0.0f, speed == 0.0);
    }
    const std::tuple<int, int, double> far[] = {
        {127, INT_MIN, 0x1p20}, {127, INT_MAX, 0.0}, {0, 300, 0x1p-25}, {0, 396, 0x1p-33}};
    for (const auto& [note, root, ratio] : far) {
        const auto plan = SamplerVoice::pitchPlan(note, root);
        EXPECT_EQ(std::tuple(plan.ratio, plan.twoStage, plan.upsampleFactor),
                  std::tuple(ratio, ratio > 1.0, std::max(1, static_cast<int>(ratio))));
    }
}

// Near its end a voice renders only the whole frames its sample has left,
// counted at the sample's own rate, and ends when the play position reaches
// the end. Short samples far above their root end inside the counting pass's
// look-ahead; blocks of 16 frames start the last block of the pitch-up path
// with fewer floats left than that pass looks at; a half frame at the end of
// an odd float count is never played, and must not keep the voice waiting.
TEST(SamplerVoiceEnd, SampleEndInsideABlockAtAnyPitch) {
    const std::vector<int16_t> odd(201, 12000);
    for (const auto& values : {ramps(100), ramps(20), odd}) {
        Rig rig({{0, 127, 60, "z.wav"}}, values);
        for (const int blockSize : {512, 16}) {
            for (const int semitones : {-19, -7, -3, 0, 4, 12, 13, 30, 48, 60}) {
                SCOPED_TRACE(testing::Message() << values.size() << " floats, " << semitones
                                                << " semitones, block " << blockSize);
                SamplerVoice& voice = rig.fresh(60 + semitones);
                int blocks = 0;
                for (; voice.isActive() && blocks < 200; ++blocks) {
                    const int remaining = static_cast<int>(values.size()) - voice.m_iPlayPosOffset;
                    const auto mix = rig.mix(blockSize);
                    EXPECT_EQ(rig.rendered, std::min(blockSize, remaining / 2));
                    const std::vector<float> beyond(mix.begin() + 2 * rig.rendered, mix.end());
                    EXPECT_TRUE(allFinite(mix) &&
                                samplesEqual(std::vector<float>(beyond.size()), beyond));
                }
                EXPECT_FALSE(voice.isActive());
                // Below the root the rest plays over later blocks.
                EXPECT_TRUE(blockSize != 512 || (blocks == 1) == (semitones >= 0)) << blocks;
            }
        }
    }
}

// Without a zone a voice renders nothing and runs no tick; a zone whose
// sample has no data ends the voice at once, also when the voice's own tick
// starts that note after the pitch-up path ran out of its sample.
TEST(SamplerVoiceState, WithoutZoneOrSampleDataRendersNothing) {
    Rig rig({{0, 127, 60, "z.wav"}, {0, 127, 60, "absent.wav"}}, ramps(20));
    SamplerVoice& voice = rig.fresh(60);
    voice.setZone(nullptr);
    voice.trigger(60);
    TickProbe::reset();
    rig.mix(32, &TickProbe::tick);
    EXPECT_EQ(rig.rendered + TickProbe::calls, 0);
    voice.release(); // no envelope: nothing to do, nothing to crash

    rig.fresh(60, rig.sampler.zones()[1].get());
    EXPECT_TRUE(samplesEqual(std::vector<float>(64, 0.0f), rig.mix(32)));
    EXPECT_TRUE(rig.rendered == 0 && !rig.voice->isActive());

    rig.fresh(72);
    TickProbe::reset(5, [] {
        ASSERT_FALSE(Rig::current->voice->isActive()) << "the upsampling pass ran out of sample";
        Rig::current->voice->setZone(Rig::current->sampler.zones()[1].get());
        Rig::current->voice->trigger(64);
    });
    EXPECT_TRUE(allFinite(rig.mix(64, &TickProbe::tick)));
    EXPECT_EQ(std::pair(rig.rendered, TickProbe::calls), std::pair(20, 20));
    EXPECT_FALSE(rig.voice->isActive());
}

} // namespace
