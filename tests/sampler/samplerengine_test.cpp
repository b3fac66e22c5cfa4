#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "engine/factoryprograms.h"
#include "engine/integersynthparameter.h"
#include "engine/sampler.h"
#include "engine/samplerengine.h"
#include "platform/registry.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

const std::string KEY = "SOFTWARE\\Kestrovalian\\Amber Threshold";

class SamplerEngineTest : public ::testing::Test {
protected:
    void TearDown() override { registry_test::reset(); }

    // An installation in the test's folder: sounds/ with packs named after
    // the given programs, each one zone of its own WAV file.
    void install(const std::vector<std::string>& programs) {
        std::filesystem::create_directories(dir.file("sounds"));
        registry_test::setString(KEY, "InstallDir", dir.path());
        int value = 1000;
        for (const std::string& name : programs) {
            const std::string wave = "w" + std::to_string(value) + ".wav";
            writeWave(dir.file("sounds/" + wave),
                      constantFrames(30000, static_cast<int16_t>(value)));
            writePack(dir.file("sounds/" + name + ".jsfb"), makePack({{0, 127, 60, wave}}));
            value += 1000;
        }
    }

    // Renders one block through process; returns left then right.
    std::vector<float> render(SamplerEngine& engine, int frames) {
        std::vector<float> left(static_cast<std::size_t>(frames), 7.0f);
        std::vector<float> right(static_cast<std::size_t>(frames), -7.0f);
        float* outputs[2] = {left.data(), right.data()};
        engine.process(nullptr, outputs, frames);
        left.insert(left.end(), right.begin(), right.end());
        return left;
    }

    TempDir dir;
};

TEST_F(SamplerEngineTest, SoundsFolderFromTheRegistry) {
    const std::string fallback = "C:/Program Files/Amber Threshold/sounds";
    const std::string longFolder = "/" + std::string(400, 'x') + "/inst";
    struct Case {
        const char* what;
        void (*arrange)(const std::string& longFolder);
        std::string folder;
    };
    const Case cases[] = {
        {"no key", [](const std::string&) { registry_test::deleteKey("SOFTWARE\\Kestrovalian"); },
         fallback},
        {"no value", [](const std::string&) { registry_test::deleteValue(KEY, "InstallDir"); },
         fallback},
        {"empty value",
         [](const std::string&) { registry_test::setValue(KEY, "InstallDir", REG_SZ, {}); },
         fallback},
        {"only a terminator",
         [](const std::string&) { registry_test::setValue(KEY, "InstallDir", REG_SZ, {0}); },
         fallback},
        {"over 1024 bytes",
         [](const std::string&) {
             registry_test::setString(KEY, "InstallDir", std::string(1100, 'a'));
         },
         fallback},
        {"a Windows folder",
         [](const std::string&) { registry_test::setString(KEY, "InstallDir", "D:\\Audio\\Inst"); },
         "D:\\Audio\\Inst/sounds"},
        {"two terminators",
         [](const std::string&) {
             registry_test::setValue(KEY, "InstallDir", REG_SZ, {'D', ':', '\\', 'A', 0, 0});
         },
         "D:\\A/sounds"},
        {"no terminator",
         [](const std::string&) {
             registry_test::setValue(KEY, "InstallDir", REG_SZ, {'/', 'o', 'p', 't'});
         },
         "/opt/sounds"},
        {"a folder longer than 255 characters",
         [](const std::string& folder) { registry_test::setString(KEY, "InstallDir", folder); },
         longFolder + "/sounds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry_test::reset();
        c.arrange(longFolder);
        auto engine = std::make_unique<SamplerEngine>();
        EXPECT_EQ(samplerSoundsDir(), c.folder);
    }

    registry_test::setString(KEY, "InstallDir", "D:\\Audio\\Inst");
    auto engine = std::make_unique<SamplerEngine>();
    testing::internal::CaptureStdout();
    engine->setProgram(2);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Loading sample pack from file: D:\\Audio\\Inst/sounds/Kicks.jsfb\n"),
              std::string::npos)
        << printed;
}

TEST_F(SamplerEngineTest, SeededRegistryNamesTheModuleFolder) {
    auto engine = std::make_unique<SamplerEngine>();
    const std::string expected = readRegistryString(KEY, "InstallDir") + "/sounds";
    EXPECT_EQ(samplerSoundsDir(), expected);
    EXPECT_NE(expected, "/sounds");
}

TEST_F(SamplerEngineTest, OffersTheFactoryPrograms) {
    auto engine = std::make_unique<SamplerEngine>();
    ASSERT_EQ(engine->m_programs.size(), 177u);
    EXPECT_EQ(engine->m_pCurrentProgram, &engine->m_programs[0]);
    const std::pair<int, const char*> named[] = {
        {0, "Our Favorites"},
        {1, "-= DRUMS =-"},
        {2, "Kicks"},
        {3, "Snares"},
        {6, "Drum Kit 3"},
        {7, "-= LEADS =-"},
        {8, "Lead-00"},
        {35, "Lead-27"},
        {36, "-= BASS =-"},
        {68, "Bass-31"},
        {69, "-= PADS =-"},
        {82, "Pad-12"},
        {83, "-= LASERS =-"},
        {89, "Laser-05"},
        {146, "Laser-62"},
        {147, "-= OTHER =-"},
        {148, "Other-00"},
        {175, "Other-27"},
        {176, "Unnamed Program"},
    };
    for (const auto& [index, name] : named) {
        EXPECT_EQ(engine->m_programs[static_cast<std::size_t>(index)].m_name, name) << index;
    }
    for (std::size_t i = 0; i < engine->m_programs.size(); ++i) {
        SCOPED_TRACE(i);
        const SynthProgram& program = engine->m_programs[i];
        EXPECT_NE(program.m_name, "Default");
        EXPECT_LE(program.m_name.size(), 24u);
        ASSERT_EQ(program.getParameters().size(), 1u);
        const SynthParameter* p = program.getParameters()[0];
        EXPECT_NE(dynamic_cast<const IntegerSynthParameter*>(p), nullptr);
        EXPECT_EQ(p->m_name, "Funkiness");
        EXPECT_EQ(p->m_unit, "osc");
        EXPECT_EQ(p->m_min, -3.0f);
        EXPECT_EQ(p->m_max, 3.0f);
        EXPECT_EQ(p->m_value, 0.0f);
        for (std::size_t j = 0; j < i; ++j) {
            ASSERT_NE(engine->m_programs[j].getParameters()[0], p) << "shared with " << j;
        }
    }
}

TEST_F(SamplerEngineTest, SelectingAProgramLoadsItsPack) {
    install({"Our Favorites", "-= DRUMS =-", "Unnamed Program"});
    auto engine = std::make_unique<SamplerEngine>();
    Sampler& sampler = engine->sampler();
    EXPECT_EQ(sampler.zoneForKey(60), nullptr) << "the constructor loads nothing";

    for (const int index : {0, 1, 176}) {
        SCOPED_TRACE(index);
        engine->setProgram(index);
        ASSERT_NE(sampler.zoneForKey(60), nullptr);
        EXPECT_EQ(sampler.zoneForKey(60)->m_pSample->m_pData[0],
                  decoded(static_cast<int16_t>(1000 * (index == 176 ? 3 : index + 1))));
    }

    // A refused index keeps the current program and loads its pack again,
    // after stopping every voice.
    engine->postNoteOn(60, 100, 0);
    render(*engine, 64);
    ASSERT_TRUE(sampler.voice(0).isActive());
    // The file changes on disk: a reload must show it.
    writePack(dir.file("sounds/Unnamed Program.jsfb"), makePack({{0, 127, 64, "w3000.wav"}}));
    for (const int refused : {-1, 177, 1000}) {
        SCOPED_TRACE(refused);
        testing::internal::CaptureStdout();
        engine->setProgram(refused);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(engine->m_pCurrentProgram, &engine->m_programs[176]);
        EXPECT_NE(printed.find("Loading sample pack from file: " + dir.path() +
                               "/sounds/Unnamed Program.jsfb\n"),
                  std::string::npos);
        EXPECT_FALSE(sampler.voice(0).isActive());
        ASSERT_NE(sampler.zoneForKey(60), nullptr);
        EXPECT_EQ(sampler.zoneForKey(60)->m_rootKey, 64) << "the pack was read again";
    }

    // A program whose pack is missing keeps the zones of the one before.
    const SamplerZone* kept = sampler.zoneForKey(60);
    engine->setProgram(2);
    EXPECT_EQ(sampler.zoneForKey(60), kept);
}

// A name that a host has set must not reach a file outside the sounds folder.
TEST_F(SamplerEngineTest, ProgramNamesStayInsideTheSoundsFolder) {
    install({"Our Favorites"});
    writeWave(dir.file("outside.wav"), constantFrames(100, 1));
    writePack(dir.file("escape.jsfb"), makePack({{0, 127, 60, "../outside.wav"}}));
    writePack(dir.file("sounds/..jsfb"), makePack({{0, 127, 60, "w1000.wav"}}));
    auto engine = std::make_unique<SamplerEngine>();
    engine->setProgram(0);
    const SamplerZone* favourites = engine->sampler().zoneForKey(60);
    ASSERT_NE(favourites, nullptr);
    for (const char* name : {"../escape", "..\\escape", "sub/x", ".", ".."}) {
        SCOPED_TRACE(name);
        engine->m_programs[0].setName(name);
        testing::internal::CaptureStdout();
        engine->setProgram(0);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_NE(printed.find("Failed to open sample pack: " + dir.path() + "/sounds/" + name +
                               ".jsfb\n"),
                  std::string::npos)
            << printed;
        EXPECT_EQ(engine->sampler().zoneForKey(60), favourites);
    }
}

TEST_F(SamplerEngineTest, ProcessRendersNotesIntoTwoChannels) {
    install({"Our Favorites"});
    auto engine = std::make_unique<SamplerEngine>();
    engine->setProgram(0);

    std::vector<float> silent = render(*engine, 32);
    EXPECT_TRUE(floatsEqual(std::vector<float>(64, 0.0f), silent)) << "host content is replaced";

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
    EXPECT_TRUE(floatsEqual(std::vector<float>(128, 0.0f), first));
    // A sounding voice carries the tick: a note-off acts at its own frame.
    engine->handleMidi(0x80, 60, 0, 10);
    const auto block = render(*engine, 64);
    for (int i = 0; i < 64; ++i) {
        const bool sounding = block[static_cast<std::size_t>(i)] != 0.0f;
        EXPECT_EQ(sounding, i < 9) << "frame " << i;
    }
    EXPECT_TRUE(floatsEqual(std::vector<float>(block.begin(), block.begin() + 64),
                            std::vector<float>(block.begin() + 64, block.end())));
    engine->handleMidi(0x90, 60, 100, 0);
    render(*engine, 64);

    engine->pitchBend(0.7f);
    engine->handleMidi(0xE0, 0x7F, 0x7F, 0);
    const auto bent = render(*engine, 64);
    EXPECT_EQ(bent[10], decoded(1000)) << "pitch bend changes nothing";

    // The voices play at 44100 Hz whatever rate the host reports.
    engine->setSampleRate(96000.0f);
    const auto at96k = render(*engine, 64);
    engine->storeSampleRate(22050.0f);
    EXPECT_EQ(engine->m_sampleRate, 22050.0f);
    const auto at22k = render(*engine, 64);
    engine->sampler().stopAllVoices();
    EXPECT_EQ(at96k[10], decoded(1000));
    EXPECT_EQ(at22k[10], decoded(1000));
}

TEST_F(SamplerEngineTest, NoteOnLineEvenForADroppedNote) {
    install({"Our Favorites"});
    auto engine = std::make_unique<SamplerEngine>();
    engine->setProgram(0);
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
    auto whole = std::make_unique<SamplerEngine>();
    auto pieces = std::make_unique<SamplerEngine>();
    for (SamplerEngine* engine : {whole.get(), pieces.get()}) {
        engine->setProgram(0);
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
    EXPECT_TRUE(floatsEqual(left, big));
    EXPECT_EQ(whole->liveEventCount(), 0) << "every event executed";
    EXPECT_NE(big[16384 + 100], 0.0f) << "the first note starts with the second piece";
}

// Every name, in order, from the categories' own description: a fixed start,
// then for each category its header and its numbered run.
TEST_F(SamplerEngineTest, EveryProgramNameInOrder) {
    std::vector<std::string> expected = {"Our Favorites", "-= DRUMS =-", "Kicks",     "Snares",
                                         "Drum Kit 1",    "Drum Kit 2",  "Drum Kit 3"};
    const struct {
        const char* header;
        const char* prefix;
        int count;
    } runs[] = {{"-= LEADS =-", "Lead", 28},
                {"-= BASS =-", "Bass", 32},
                {"-= PADS =-", "Pad", 13},
                {"-= LASERS =-", "Laser", 63},
                {"-= OTHER =-", "Other", 28}};
    for (const auto& run : runs) {
        expected.push_back(run.header);
        for (int i = 0; i < run.count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s-%02d", run.prefix, i);
            expected.push_back(name);
        }
    }
    expected.push_back("Unnamed Program");

    auto engine = std::make_unique<SamplerEngine>();
    ASSERT_EQ(engine->m_programs.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(engine->m_programs[i].m_name, expected[i]) << "program " << i;
    }
    const char* const firsts[] = {"Our Favorites", "Kicks",    "Lead-00", "Bass-00",
                                  "Pad-00",        "Laser-00", "Other-00"};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(expected[static_cast<std::size_t>(FACTORY_CATEGORY_ROWS[c])], firsts[c]);
    }
    EXPECT_EQ(expected[static_cast<std::size_t>(FACTORY_HEADER_ROWS[0])], "-= DRUMS =-");
    for (int c = 1; c < 6; ++c) {
        EXPECT_EQ(expected[static_cast<std::size_t>(FACTORY_HEADER_ROWS[c])], runs[c - 1].header);
    }
}

TEST(FactoryPrograms, GreetingAndNames) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(printGreeting(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hello, I am a synth");
    EXPECT_EQ(factoryProgramName(-1), "");
    EXPECT_EQ(factoryProgramName(176), "");
    for (const int row : FACTORY_HEADER_ROWS) {
        const std::string name = factoryProgramName(row);
        EXPECT_EQ(name.substr(0, 3), "-= ");
        EXPECT_EQ(name.substr(name.size() - 3), " =-");
    }
}

} // namespace
