#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "engine/sampler.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

// A sampler with a pack installed from the test's folder.
struct Rig {
    TempDir dir;
    Sampler sampler;

    // Writes "short.wav" (40 frames) and "long.wav" (50000) and installs `zones`.
    void install(const std::vector<PackZone>& zones) {
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
    // The voice's envelope; an idle one for a voice never bound.
    ADSR& envelope(int voice) {
        static ADSR unbound{nullptr};
        Envelope* envelope = sampler.voice(voice).m_pEnvelope;
        return envelope != nullptr ? *static_cast<ADSR*>(envelope) : unbound;
    }
};

// Keys without a zone take no voice; then eleven notes on ten voices.
TEST(SamplerNotes, ElevenNotesOnTenVoices) {
    Rig rig;
    rig.install({{20, 127, 60, "long.wav", 0.0f, 0.0f, 1.0f, 100.0f}});
    for (int note = 0; note < 10; ++note) {
        rig.sampler.noteOn(note);
    }
    EXPECT_EQ(rig.activeVoices(), 0);
    for (int note = 60; note < 71; ++note) {
        rig.sampler.noteOn(note);
    }
    for (int i = 0; i < SAMPLER_NUM_VOICES; ++i) {
        EXPECT_EQ(rig.sampler.voice(i).note(), 60 + i);
        EXPECT_EQ(rig.sampler.heldVoice(60 + i), &rig.sampler.voice(i));
    }
    EXPECT_EQ(rig.activeVoices(), 10);
    EXPECT_EQ(rig.sampler.heldVoice(70), nullptr) << "the eleventh note is dropped";

    rig.sampler.noteOff(60);
    rig.mix(64);
    EXPECT_TRUE(rig.sampler.voice(0).isActive()) << "a released voice sounds on";
    rig.sampler.noteOn(71);
    EXPECT_EQ(rig.sampler.heldVoice(71), nullptr) << "no voice free until the release ends";
    for (int b = 0; b < 400 && rig.sampler.voice(0).isActive(); ++b) {
        rig.mix(64);
    }
    ASSERT_FALSE(rig.sampler.voice(0).isActive());
    rig.sampler.noteOn(71);
    EXPECT_EQ(rig.sampler.heldVoice(71), &rig.sampler.voice(0));
}

// A held note struck again releases its old voice and starts on a free one;
// struck again with no voice free, it releases its voice once and is
// dropped: the note-off that follows must not restart that release.
TEST(SamplerNotes, HeldNoteStruckAgain) {
    Rig rig;
    rig.install({{0, 127, 60, "long.wav", 0.0f, 0.0f, 1.0f, 5000.0f}});
    rig.sampler.noteOn(60);
    rig.mix(64);
    testing::internal::CaptureStdout();
    rig.sampler.noteOn(60);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("killing already-playing note\n"),
              std::string::npos);
    EXPECT_EQ(rig.envelope(0).m_state, ADSR::Release);
    EXPECT_TRUE(rig.sampler.voice(0).isActive());
    EXPECT_EQ(rig.sampler.heldVoice(60), &rig.sampler.voice(1));
    EXPECT_EQ(rig.envelope(1).m_state, ADSR::On);

    for (int note = 61; note < 69; ++note) {
        rig.sampler.noteOn(note);
    }
    rig.mix(64);
    rig.sampler.noteOn(60); // all voices busy
    EXPECT_EQ(rig.sampler.heldVoice(60), nullptr);
    rig.mix(64);
    ASSERT_EQ(rig.envelope(1).m_state, ADSR::Release);
    const double elapsed = rig.envelope(1).m_elapsed;
    ASSERT_GT(elapsed, 0.0);
    rig.sampler.noteOff(60);
    EXPECT_EQ(rig.envelope(1).m_elapsed, elapsed) << "the release started over";
}

// A voice that ended by itself may play another note by the time its old
// note is released or struck again; that note must not be touched.
TEST(SamplerNotes, EndedVoiceIsNoLongerItsOldNotes) {
    Rig rig;
    rig.install({{0, 61, 60, "short.wav"}, {62, 127, 62, "long.wav"}});
    rig.sampler.noteOn(60);
    rig.sampler.noteOn(61);
    rig.mix(64);
    ASSERT_EQ(rig.activeVoices(), 0) << "the short sample has run out";
    rig.sampler.noteOn(62);
    rig.sampler.noteOn(63);

    testing::internal::CaptureStdout();
    rig.sampler.noteOff(60);
    rig.sampler.noteOn(61);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("killing"), std::string::npos);
    EXPECT_EQ(rig.envelope(0).m_state, ADSR::On) << "note 62 was released";
    EXPECT_EQ(rig.envelope(1).m_state, ADSR::On) << "note 63 was released";
    EXPECT_EQ(rig.sampler.heldVoice(61), &rig.sampler.voice(2));
}

// From one voice to two: the gain glides from 1 to 1/sqrt(2) over the first
// 64 frames, a step per float, and the next block does not glide again.
TEST(SamplerMix, CompensationGlidesFromOneToTwo) {
    Rig rig;
    rig.install({{0, 61, 60, "long.wav"}, {62, 127, 62, "long.wav"}});
    rig.sampler.noteOn(60);
    EXPECT_EQ(rig.mix(512)[100], decoded(1000)) << "one voice plays at full level";
    EXPECT_EQ(rig.sampler.compensation(), 1.0f);

    rig.sampler.noteOn(62);
    const auto second = rig.mix(512);
    const float sum = decoded(1000) + decoded(1000);
    std::vector<float> expected;
    float comp = 1.0f;
    for (int j = 0; j < 1024; ++j) {
        if (j < 128) {
            comp += (2.0f - 1.0f) * 0.0078125f;
        }
        expected.push_back((1.0f / std::sqrt(comp)) * sum);
    }
    EXPECT_TRUE(samplesEqual(expected, second));
    EXPECT_EQ(rig.sampler.compensation(), 2.0f);
    EXPECT_TRUE(
        samplesEqual(std::vector<float>(1024, (1.0f / std::sqrt(2.0f)) * sum), rig.mix(512)));
}

// The tick runs once per frame whatever the voices do. Stopping every voice
// silences at once and forgets the held notes; with no voice the caller's
// block stays as it was.
TEST(SamplerMix, TickRunsOncePerFrameWhateverTheVoicesDo) {
    Rig rig;
    rig.install({{0, 61, 60, "short.wav"}, {62, 127, 62, "long.wav", 0.0f, 0.0f, 1.0f, 1000.0f}});
    const struct {
        const char* what;
        int note; // -1: none
        int frames;
    } cases[] = {
        {"no voice", -1, 256},
        {"a sounding voice", 64, 256},
        {"a voice that ends within the block", 60, 256},
        {"a single frame", 64, 1},
        {"no frames", 64, 0},
        {"a block above the mix buffer", 64, 40000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        rig.sampler.stopAllVoices();
        EXPECT_EQ(rig.activeVoices(), 0);
        EXPECT_EQ(rig.sampler.heldVoice(64), nullptr);
        if (c.note >= 0) {
            rig.sampler.noteOn(c.note);
        }
        TickProbe::reset();
        const auto out = rig.mix(c.frames, &TickProbe::tick, 0.25f);
        EXPECT_EQ(TickProbe::calls, c.frames);
        EXPECT_TRUE(allFinite(out));
        if (c.note < 0) {
            EXPECT_TRUE(samplesEqual(std::vector<float>(512, 0.25f), out));
        }
    }
    rig.sampler.stopAllVoices();
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, 0.0f), rig.mix(64)));
}

Sampler* g_sampler = nullptr;

// The tick rides with the first sounding voice, not the first voice: an
// event it executes acts at its own frame on the voices after it.
TEST(SamplerMix, TickRidesWithTheFirstSoundingVoice) {
    Rig rig;
    rig.install({{0, 127, 60, "long.wav"}});
    rig.sampler.noteOn(60);
    rig.sampler.noteOn(64);
    rig.sampler.noteOff(60); // release time 0: voice 0 ends with this block
    rig.mix(64);
    ASSERT_FALSE(rig.sampler.voice(0).isActive());
    g_sampler = &rig.sampler;
    TickProbe::reset(10, [] { g_sampler->noteOff(64); });
    const auto out = rig.mix(64, &TickProbe::tick);
    EXPECT_NE(out[2 * 9], 0.0f);
    EXPECT_EQ(out[2 * 10], 0.0f);
}

// A note that the tick starts in the middle of a block takes the first free
// voice. One after the ticking voice renders this whole block, from its first
// frame; one before it has already rendered and sounds from the next block.
// Either way the block keeps the gain of the voices it began with.
TEST(SamplerMix, NotesStartedByTheTickMeetTheVoiceOrder) {
    Rig rig;
    // Each note at its own root key: every frame of a note is the sample's.
    rig.install({{60, 60, 60, "long.wav"}, {62, 62, 62, "long.wav"}, {64, 64, 64, "long.wav"}});
    g_sampler = &rig.sampler;
    const float one = decoded(1000);
    const auto constant = [](float value) { return std::vector<float>(128, value); };

    rig.sampler.noteOn(60); // voice 0 carries the tick
    rig.mix(64);
    TickProbe::reset(10, [] { g_sampler->noteOn(62); });
    EXPECT_TRUE(samplesEqual(constant(one + one), rig.mix(64, &TickProbe::tick)));
    ASSERT_EQ(rig.sampler.heldVoice(62), &rig.sampler.voice(1));

    rig.sampler.stopAllVoices();
    rig.sampler.noteOn(60);
    rig.sampler.noteOn(62);
    rig.sampler.voice(0).setActive(false); // voice 1 now carries the tick
    ASSERT_EQ(rig.sampler.compensation(), 1.0f);
    TickProbe::reset(10, [] { g_sampler->noteOn(64); });
    EXPECT_TRUE(samplesEqual(constant(one), rig.mix(64, &TickProbe::tick)));
    ASSERT_EQ(rig.sampler.heldVoice(64), &rig.sampler.voice(0));
    EXPECT_EQ(rig.mix(64)[0], (1.0f / std::sqrt(1.0078125f)) * (one + one))
        << "two voices from the next block";
}

// A block shorter than the glide moves the gain only part of the way; the
// next block glides on from there towards the same count.
TEST(SamplerMix, ShortBlocksGlidePartOfTheWay) {
    Rig rig;
    rig.install({{60, 60, 60, "long.wav"}, {62, 62, 62, "long.wav"}});
    rig.sampler.noteOn(60);
    rig.sampler.noteOn(62);
    const float sum = decoded(1000) + decoded(1000);
    float comp = 1.0f;
    for (const float expectedComp : {1.25f, 1.4375f}) {
        const float delta = (2.0f - comp) * 0.0078125f;
        std::vector<float> expected;
        for (int j = 0; j < 32; ++j) {
            comp += delta;
            expected.push_back((1.0f / std::sqrt(comp)) * sum);
        }
        EXPECT_TRUE(samplesEqual(expected, rig.mix(16)));
        EXPECT_EQ(rig.sampler.compensation(), expectedComp);
    }
}

// A block too long for the mix buffer plays exactly as the same frames given
// in blocks of the buffer's size.
TEST(SamplerMix, LongBlockIsSeamless) {
    Rig one;
    Rig two;
    for (Rig* rig : {&one, &two}) {
        rig->install({{0, 127, 60, "long.wav", 0.0f, 0.0f, 1.0f, 10.0f}});
        for (const int note : {60, 67, 50}) {
            rig->sampler.noteOn(note);
        }
    }
    const auto whole = one.mix(40000);
    std::vector<float> pieces;
    for (const int frames : {16384, 16384, 40000 - 2 * 16384}) {
        const auto piece = two.mix(frames);
        pieces.insert(pieces.end(), piece.begin(), piece.end());
    }
    EXPECT_TRUE(samplesEqual(pieces, whole));
}

// While a pack is being installed a block is silent and runs no tick. The
// installation is held open by a WAV "file" that is a pipe nobody writes yet.
TEST(SamplerMix, NoTickWhileAPackIsInstalled) {
    Rig rig;
    rig.install({{0, 127, 60, "long.wav"}});
    rig.sampler.noteOn(60);
    const std::string fifo = rig.dir.file("slow.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    writePack(rig.dir.file("slow.jsfb"), {{0, 127, 60, "slow.wav"}});

    rig.sampler.loadSamplePackFileAsync(rig.dir.file("slow.jsfb"), rig.dir.path(), nullptr);
    while (rig.sampler.isReady()) {
        std::this_thread::yield();
    }
    TickProbe::reset();
    EXPECT_TRUE(samplesEqual(std::vector<float>(512, 0.0f), rig.mix(256, &TickProbe::tick)));
    EXPECT_EQ(TickProbe::calls, 0);

    close(open(fifo.c_str(), O_WRONLY)); // an empty "file": a sample without data
    for (int i = 0; i < 10000 && !rig.sampler.isReady(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(rig.sampler.isReady());
    EXPECT_EQ(rig.activeVoices(), 0) << "installing stops every voice";
    ASSERT_EQ(rig.sampler.zones().size(), 1u);
    TickProbe::reset();
    rig.mix(256, &TickProbe::tick);
    EXPECT_EQ(TickProbe::calls, 256);
}

} // namespace
