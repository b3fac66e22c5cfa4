#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "engine/sampler.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

// A sampler playing "short.wav" (40 frames) and "long.wav" (50000) from the
// test's folder.
struct Rig {
    TempDir dir;
    Sampler sampler;

    explicit Rig(const std::vector<PackZone>& zones) {
        writeWave(dir.file("short.wav"), constantFrames(40, 1000));
        writeWave(dir.file("long.wav"), constantFrames(50000, 1000));
        sampler.loadSamplePack(makePack(zones), dir.path());
    }
    // Mixes one block into a buffer of `fill` and returns it.
    std::vector<float> mix(int frames, EventTickFunction tick = nullptr, float fill = 0.0f) {
        std::vector<float> out(static_cast<std::size_t>(frames) * 2, fill);
        sampler.mix(out.data(), frames, tick, nullptr);
        return out;
    }
    int activeVoices() {
        int n = 0;
        for (int i = 0; i < SAMPLER_NUM_VOICES; ++i) {
            n += sampler.voice(i).isActive() ? 1 : 0;
        }
        return n;
    }
    // The state and time of a voice's envelope.
    std::pair<int, double> envelope(int voice) {
        const auto* adsr = static_cast<const ADSR*>(sampler.voice(voice).m_pEnvelope);
        return {adsr->m_state, adsr->m_elapsed};
    }
    std::string noteOn(int note) {
        testing::internal::CaptureStdout();
        sampler.noteOn(note);
        return testing::internal::GetCapturedStdout();
    }
};

const float ONE = decoded(1000);
Sampler* g_sampler = nullptr;

// Keys without a zone take no voice. A voice that ended by itself is no
// longer its old note's: releasing or striking that note again must not
// touch the note it plays now. A held note struck again releases its voice
// and starts on a free one; struck again with no voice free, it releases its
// voice once and is dropped, and the note-off that follows must not restart
// that release. A note with no voice free is dropped; the next waits until a
// released voice has ended.
TEST(SamplerNotes, NotesOnTenVoices) {
    Rig rig({{20, 61, 60, "short.wav"}, {62, 127, 62, "long.wav", 0.0f, 0.0f, 1.0f, 100.0f}});
    for (int note = 0; note < 20; ++note) {
        rig.sampler.noteOn(note);
    }
    EXPECT_EQ(rig.activeVoices(), 0);
    rig.sampler.noteOn(60);
    rig.sampler.noteOn(61);
    rig.mix(64);
    ASSERT_EQ(rig.activeVoices(), 0) << "the short sample has run out";
    rig.sampler.noteOn(62);
    rig.sampler.noteOn(63);
    rig.sampler.noteOff(60);
    EXPECT_EQ(rig.noteOn(61).find("killing"), std::string::npos);
    EXPECT_EQ(rig.sampler.heldVoice(61), &rig.sampler.voice(2));
    EXPECT_EQ(rig.envelope(0).first + rig.envelope(1).first, 2 * ADSR::On) << "62 or 63 released";

    EXPECT_NE(rig.noteOn(62).find("killing already-playing note\n"), std::string::npos);
    EXPECT_EQ(rig.envelope(0).first, ADSR::Release);
    for (int note = 64; note < 71; ++note) {
        rig.sampler.noteOn(note);
        EXPECT_EQ(rig.sampler.heldVoice(note), note < 70 ? &rig.sampler.voice(note - 60) : nullptr);
    }
    rig.mix(64);
    rig.sampler.noteOn(70); // the voice of note 61
    rig.sampler.noteOn(63); // no voice free
    EXPECT_EQ(rig.sampler.heldVoice(63), nullptr);
    rig.mix(64);
    const auto released = rig.envelope(1);
    ASSERT_EQ(released.first, ADSR::Release);
    rig.sampler.noteOff(63);
    EXPECT_EQ(rig.envelope(1), released) << "the release started over";

    for (int b = 0; b < 400 && rig.sampler.voice(0).isActive(); ++b) {
        rig.sampler.noteOn(71);
        EXPECT_EQ(rig.sampler.heldVoice(71), nullptr) << "no voice free until a release ends";
        rig.mix(64);
    }
    rig.sampler.noteOn(71);
    EXPECT_EQ(rig.sampler.heldVoice(71), &rig.sampler.voice(0));
}

// From one voice to two the gain glides over 64 frames from 1 to 1/sqrt(2);
// a shorter block goes part of the way, the next glides on from there.
TEST(SamplerMix, CompensationGlidesToTheVoiceCount) {
    Rig rig({{60, 60, 60, "long.wav"}, {62, 62, 62, "long.wav"}});
    rig.sampler.noteOn(60);
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, ONE), rig.mix(64)));
    rig.sampler.noteOn(62);
    for (const auto& [frames, compensation] : {std::pair{16, 1.25f}, {16, 1.4375f}, {64, 2.0f}}) {
        const auto out = rig.mix(frames);
        EXPECT_LT(out.back(), out.front());
        EXPECT_EQ(rig.sampler.compensation(), compensation);
    }
    EXPECT_TRUE(
        samplesEqual(std::vector<float>(128, (1.0f / std::sqrt(2.0f)) * (ONE + ONE)), rig.mix(64)));
}

// The tick runs once per frame whatever the voices do (none, a voice that
// runs out, a released one, one frame, none). Stopping every voice silences
// at once and forgets the held notes; with no voice the block stays as it was.
// A block too long for the mix buffer plays as the same frames in blocks of
// the buffer's size.
TEST(SamplerMix, TickRunsOncePerFrameWhateverTheVoicesDo) {
    Rig rig({{0, 61, 60, "short.wav"}, {62, 127, 62, "long.wav", 0.0f, 0.0f, 1.0f, 1000.0f}});
    const std::pair<int, int> cases[] = {{-1, 256}, {64, 256}, {60, 256}, {64, 1}, {64, 0}};
    for (const auto& [note, frames] : cases) {
        SCOPED_TRACE(testing::Message() << note << ", " << frames << " frames");
        rig.sampler.stopAllVoices();
        EXPECT_EQ(rig.activeVoices() + (rig.sampler.heldVoice(64) != nullptr), 0);
        if (note >= 0) {
            rig.noteOn(note);
        }
        TickProbe::reset();
        const auto out = rig.mix(frames, &TickProbe::tick, 0.25f);
        EXPECT_EQ(TickProbe::calls, frames);
        EXPECT_TRUE(note >= 0 || samplesEqual(std::vector<float>(512, 0.25f), out));
    }

    const std::vector<PackZone> zones = {{0, 127, 60, "long.wav", 0.0f, 0.0f, 1.0f, 10.0f}};
    Rig one(zones), two(zones);
    for (Rig* r : {&one, &two}) {
        for (const int note : {60, 67, 50}) {
            r->noteOn(note);
        }
    }
    TickProbe::reset();
    const auto whole = one.mix(40000, &TickProbe::tick);
    EXPECT_EQ(TickProbe::calls, 40000);
    std::vector<float> out;
    for (const int frames : {16384, 16384, 40000 - 2 * 16384}) {
        const auto piece = two.mix(frames);
        out.insert(out.end(), piece.begin(), piece.end());
    }
    EXPECT_TRUE(samplesEqual(out, whole));
}

// The tick rides with the first sounding voice, not the first voice: an
// event it executes acts at its own frame on the voices after it. A note it
// starts takes the first free voice: one after the ticking voice renders
// this whole block, from its first frame; one before it has already rendered
// and sounds from the next block. Either way the block keeps the gain of the
// voices it began with.
TEST(SamplerMix, TickRidesWithTheFirstSoundingVoice) {
    // Each note at its own root key: every frame of a note is the sample's.
    Rig rig({{60, 60, 60, "long.wav"}, {62, 62, 62, "long.wav"}, {64, 64, 64, "long.wav"}});
    g_sampler = &rig.sampler;
    rig.sampler.noteOn(60);
    rig.sampler.noteOn(64);
    rig.sampler.voice(0).setActive(false); // voice 1 carries the tick
    rig.mix(64);
    TickProbe::reset(10, [] { g_sampler->noteOff(64); });
    auto out = rig.mix(64, &TickProbe::tick);
    EXPECT_TRUE(out[2 * 9] != 0.0f && out[2 * 10] == 0.0f);

    rig.sampler.noteOn(60); // voice 0 carries the tick
    rig.mix(64);
    TickProbe::reset(10, [] { g_sampler->noteOn(62); });
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, ONE + ONE), rig.mix(64, &TickProbe::tick)));
    ASSERT_EQ(rig.sampler.heldVoice(62), &rig.sampler.voice(1));

    rig.sampler.voice(0).setActive(false); // voice 1 carries the tick
    rig.mix(64);
    TickProbe::reset(10, [] { g_sampler->noteOn(64); });
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
    rig.sampler.noteOn(60);
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
            TickProbe::reset();
            EXPECT_TRUE(
                samplesEqual(std::vector<float>(512, 0.0f), rig.mix(256, &TickProbe::tick)));
            EXPECT_EQ(TickProbe::calls, 0);
        }
        while (!done) {
            std::this_thread::yield();
        }
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(rig.activeVoices(), 0);
    EXPECT_EQ(rig.sampler.zones().size(), 2u);
}

} // namespace
