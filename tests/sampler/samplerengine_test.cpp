#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>

#include "engine/factoryprograms.h"
#include "engine/integersynthparameter.h"
#include "engine/sampler.h"
#include "engine/samplerengine.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

const std::string KEY = "SOFTWARE\\Kestrovalian\\Amber Threshold";

class SamplerEngineTest : public ::testing::Test {
protected:
    void TearDown() override { registry_test::reset(); }

    // Packs named after the given programs, each one zone over a WAV file of
    // its own value: 1000 for the first program, 2000 for the second...
    void install(const std::vector<std::string>& programs) {
        int value = 1000;
        for (const std::string& name : programs) {
            const std::string wave = "w" + std::to_string(value) + ".wav";
            writeWave(installation.sound(wave), constantFrames(30000, static_cast<int16_t>(value)));
            writePack(installation.sound(name + ".jsfb"), {{0, 127, 60, wave}});
            value += 1000;
        }
    }

    std::string captured(SamplerEngine& engine, int program) {
        testing::internal::CaptureStdout();
        engine.setProgram(program);
        return testing::internal::GetCapturedStdout();
    }

    Installation installation;
};

TEST_F(SamplerEngineTest, SoundsFolderFromTheRegistry) {
    const std::string fallback = "C:/Program Files/Amber Threshold/sounds";
    const std::string longFolder = "/" + std::string(400, 'x') + "/inst";
    enum Arrange { SEEDED, NO_KEY, NO_VALUE, BYTES };
    const struct {
        const char* what;
        Arrange arrange;
        std::string bytes;
        std::string folder;
    } cases[] = {
        {"the seeded value", SEEDED, "", moduleFolder() + "/sounds"},
        {"no key", NO_KEY, "", fallback},
        {"no value", NO_VALUE, "", fallback},
        {"empty value", BYTES, "", fallback},
        {"only a terminator", BYTES, std::string(1, '\0'), fallback},
        {"over 1024 bytes", BYTES, std::string(1100, 'a') + '\0', fallback},
        {"a Windows folder", BYTES, std::string("D:\\Audio\\Inst") + '\0',
         "D:\\Audio\\Inst/sounds"},
        {"two terminators", BYTES, std::string("D:\\A\0\0", 6), "D:\\A/sounds"},
        {"no terminator", BYTES, "/opt", "/opt/sounds"},
        {"a folder longer than 255 characters", BYTES, longFolder + '\0', longFolder + "/sounds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry_test::reset();
        if (c.arrange == NO_KEY) {
            registry_test::deleteKey("SOFTWARE\\Kestrovalian");
        } else if (c.arrange == NO_VALUE) {
            registry_test::deleteValue(KEY, "InstallDir");
        } else if (c.arrange == BYTES) {
            registry_test::setValue(KEY, "InstallDir", REG_SZ, {c.bytes.begin(), c.bytes.end()});
        }
        auto engine = std::make_unique<SamplerEngine>();
        EXPECT_EQ(samplerSoundsDir(), c.folder);
    }
    auto engine = engineAt("D:\\Audio\\Inst");
    const std::string printed = captured(*engine, 2);
    EXPECT_NE(printed.find("Loading sample pack from file: D:\\Audio\\Inst/sounds/Kicks.jsfb\n"),
              std::string::npos)
        << printed;
}

// Every name, in order, from the categories' own description: a fixed start,
// then for each category its header and its numbered run; every program with
// its own "Funkiness" parameter.
TEST_F(SamplerEngineTest, FactoryProgramsInOrder) {
    const char* const headers[] = {"-= DRUMS =-", "-= LEADS =-",  "-= BASS =-",
                                   "-= PADS =-",  "-= LASERS =-", "-= OTHER =-"};
    std::vector<std::string> expected = {"Our Favorites", headers[0],   "Kicks",     "Snares",
                                         "Drum Kit 1",    "Drum Kit 2", "Drum Kit 3"};
    const struct {
        const char* prefix;
        int count;
    } runs[] = {{"Lead", 28}, {"Bass", 32}, {"Pad", 13}, {"Laser", 63}, {"Other", 28}};
    for (int r = 0; r < 5; ++r) {
        expected.push_back(headers[r + 1]);
        for (int i = 0; i < runs[r].count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s-%02d", runs[r].prefix, i);
            expected.push_back(name);
        }
    }
    expected.push_back("Unnamed Program");

    auto engine = std::make_unique<SamplerEngine>();
    ASSERT_EQ(engine->m_programs.size(), 177u);
    EXPECT_EQ(engine->m_pCurrentProgram, &engine->m_programs[0]);
    std::set<const SynthParameter*> parameters;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const SynthProgram& program = engine->m_programs[i];
        EXPECT_EQ(program.m_name, expected[i]);
        ASSERT_EQ(program.getParameters().size(), 1u);
        const SynthParameter* p = program.getParameters()[0];
        EXPECT_NE(dynamic_cast<const IntegerSynthParameter*>(p), nullptr);
        EXPECT_EQ(p->m_name + " " + p->m_unit, "Funkiness osc");
        EXPECT_EQ(std::vector<float>({p->m_min, p->m_max, p->m_value}),
                  std::vector<float>({-3.0f, 3.0f, 0.0f}));
        EXPECT_TRUE(parameters.insert(p).second) << "a parameter shared between programs";
    }
    EXPECT_EQ(factoryProgramName(-1), "");
    EXPECT_EQ(factoryProgramName(176), "");
    testing::internal::CaptureStdout();
    EXPECT_EQ(printGreeting(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hello, I am a synth");
}

TEST_F(SamplerEngineTest, SelectingAProgramLoadsItsPack) {
    install({"Our Favorites", "-= DRUMS =-", "Unnamed Program"});
    auto engine = engineAt(installation.dir.path());
    Sampler& sampler = engine->sampler();
    EXPECT_EQ(sampler.zoneForKey(60), nullptr) << "the constructor loads nothing";
    for (const int index : {0, 1, 176}) {
        engine->setProgram(index);
        ASSERT_NE(sampler.zoneForKey(60), nullptr) << index;
        EXPECT_EQ(sampler.zoneForKey(60)->m_pSample->m_pData[0],
                  decoded(static_cast<int16_t>(1000 * (index == 176 ? 3 : index + 1))));
    }

    // A refused index keeps the current program and loads its pack again,
    // after stopping every voice; the file changed on disk meanwhile.
    engine->postNoteOn(60, 100, 0);
    render(*engine, 64);
    ASSERT_TRUE(sampler.voice(0).isActive());
    writePack(installation.sound("Unnamed Program.jsfb"), {{0, 127, 64, "w3000.wav"}});
    for (const int refused : {-1, 177, 1000}) {
        SCOPED_TRACE(refused);
        EXPECT_NE(captured(*engine, refused)
                      .find("Loading sample pack from file: " +
                            installation.sound("Unnamed Program.jsfb") + "\n"),
                  std::string::npos);
        EXPECT_EQ(engine->m_pCurrentProgram, &engine->m_programs[176]);
        EXPECT_FALSE(sampler.voice(0).isActive());
        ASSERT_NE(sampler.zoneForKey(60), nullptr);
        EXPECT_EQ(sampler.zoneForKey(60)->m_rootKey, 64) << "the pack was read again";
    }

    // A program whose pack is missing keeps the zones of the one before;
    // its voices stop all the same.
    const SamplerZone* kept = sampler.zoneForKey(60);
    engine->postNoteOn(60, 100, 0);
    render(*engine, 64);
    ASSERT_TRUE(sampler.voice(0).isActive());
    engine->setProgram(2);
    EXPECT_EQ(sampler.zoneForKey(60), kept);
    EXPECT_FALSE(sampler.voice(0).isActive());
}

// A name that a host has set must not reach a file outside the sounds folder.
TEST_F(SamplerEngineTest, ProgramNamesStayInsideTheSoundsFolder) {
    install({"Our Favorites"});
    writeWave(installation.dir.file("outside.wav"), constantFrames(100, 1));
    writePack(installation.dir.file("escape.jsfb"), {{0, 127, 60, "../outside.wav"}});
    writePack(installation.sound("..jsfb"), {{0, 127, 60, "w1000.wav"}});
    auto engine = installation.engine();
    const SamplerZone* favourites = engine->sampler().zoneForKey(60);
    ASSERT_NE(favourites, nullptr);
    for (const char* name : {"../escape", "..\\escape", "sub/x", ".", ".."}) {
        engine->m_programs[0].setName(name);
        const std::string printed = captured(*engine, 0);
        EXPECT_NE(
            printed.find("Failed to open sample pack: " + installation.sound(name) + ".jsfb\n"),
            std::string::npos)
            << printed;
        EXPECT_EQ(engine->sampler().zoneForKey(60), favourites) << name;
    }
}

TEST_F(SamplerEngineTest, ProcessRendersNotesIntoTwoChannels) {
    install({"Our Favorites"});
    auto engine = installation.engine();
    EXPECT_TRUE(samplesEqual(std::vector<float>(64, 0.0f), render(*engine, 32)))
        << "host content is replaced";
    float left = 5.0f;
    float right = 6.0f;
    float* outputs[2] = {&left, &right};
    engine->process(nullptr, outputs, 0);
    EXPECT_EQ(left, 5.0f);
    EXPECT_EQ(right, 6.0f);

    // With no voice sounding the tick runs after the voices: a note that
    // falls due starts with the next block.
    engine->handleMidi(0x90, 60, 100, 10);
    testing::internal::CaptureStdout();
    const auto first = render(*engine, 64);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("note on: 60\n"), std::string::npos);
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, 0.0f), first));
    // A sounding voice carries the tick: a note-off acts at its own frame.
    engine->handleMidi(0x80, 60, 0, 10);
    const auto block = render(*engine, 64);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(block[static_cast<std::size_t>(i)] != 0.0f, i < 9) << "frame " << i;
    }
    EXPECT_TRUE(samplesEqual(std::vector<float>(block.begin(), block.begin() + 64),
                             std::vector<float>(block.begin() + 64, block.end())));

    // Neither pitch bend nor the host's sample rate changes the sound.
    engine->handleMidi(0x90, 60, 100, 0);
    render(*engine, 64);
    engine->pitchBend(0.7f);
    engine->handleMidi(0xE0, 0x7F, 0x7F, 0);
    EXPECT_EQ(render(*engine, 64)[10], decoded(1000));
    engine->setSampleRate(96000.0f);
    EXPECT_EQ(render(*engine, 64)[10], decoded(1000));
    engine->storeSampleRate(22050.0f);
    EXPECT_EQ(engine->m_sampleRate, 22050.0f);
    EXPECT_EQ(render(*engine, 64)[10], decoded(1000));

    // Every note-on the tick executes is told, also one dropped for want of a voice.
    engine->sampler().stopAllVoices();
    for (int note = 40; note < 51; ++note) {
        engine->postNoteOn(note, 90, 0);
    }
    testing::internal::CaptureStdout();
    render(*engine, 16);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("note on: 50\n"), std::string::npos);
    EXPECT_EQ(printed.find("activating voice 10"), std::string::npos);
}

// A host block longer than the sampler's mix buffer plays as consecutive
// blocks would, and every queued event still meets its frame.
TEST_F(SamplerEngineTest, LongHostBlocks) {
    install({"Our Favorites"});
    auto whole = installation.engine();
    auto pieces = installation.engine();
    for (SamplerEngine* engine : {whole.get(), pieces.get()}) {
        engine->postNoteOn(60, 100, 0);
        engine->postNoteOff(60, 20000);
        engine->postNoteOn(64, 100, 35000);
    }
    const auto big = render(*whole, 40000);
    std::vector<float> left;
    std::vector<float> right;
    for (const int frames : {16384, 16384, 40000 - 2 * 16384}) {
        const auto piece = render(*pieces, frames);
        left.insert(left.end(), piece.begin(), piece.begin() + frames);
        right.insert(right.end(), piece.begin() + frames, piece.end());
    }
    left.insert(left.end(), right.begin(), right.end());
    EXPECT_TRUE(samplesEqual(left, big));
    EXPECT_EQ(whole->liveEventCount(), 0) << "every event executed";
    EXPECT_NE(big[16384 + 100], 0.0f) << "the first note starts with the second piece";
}

} // namespace
