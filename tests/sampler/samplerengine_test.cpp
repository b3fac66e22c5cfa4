#include <gtest/gtest.h>

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
    static std::string captured(SamplerEngine& engine, int program) {
        testing::internal::CaptureStdout();
        engine.setProgram(program);
        return testing::internal::GetCapturedStdout();
    }
    static bool printed(const std::string& out, const std::string& line) {
        return out.find(line + "\n") != std::string::npos;
    }

    Installation installation;
};

TEST_F(SamplerEngineTest, SoundsFolderFromTheRegistry) {
    const std::string fallback = "C:/Program Files/Amber Threshold/sounds";
    const std::string longFolder = "/" + std::string(400, 'x') + "/inst";
    const std::string key = SAMPLER_REGISTRY_KEY;
    const struct {
        const char* what;
        std::string bytes; // "?": the value as seeded, "-": no value, "--": no key
        std::string folder;
    } cases[] = {
        {"the seeded value", "?", moduleFolder() + "/sounds"},
        {"no key", "--", fallback},
        {"no value", "-", fallback},
        {"empty value", "", fallback},
        {"only a terminator", std::string(1, '\0'), fallback},
        {"over 1024 bytes", std::string(1100, 'a') + '\0', fallback},
        {"a Windows folder", std::string("D:\\Audio\\Inst") + '\0', "D:\\Audio\\Inst/sounds"},
        {"two terminators", std::string("D:\\A\0\0", 6), "D:\\A/sounds"},
        {"no terminator", "/opt", "/opt/sounds"},
        {"a folder longer than 255 characters", longFolder + '\0', longFolder + "/sounds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry_test::reset();
        if (c.bytes == "--") {
            registry_test::deleteKey(key.substr(0, key.rfind('\\')));
        } else if (c.bytes == "-") {
            registry_test::deleteValue(key, SAMPLER_REGISTRY_VALUE);
        } else if (c.bytes != "?") {
            registry_test::setValue(key, SAMPLER_REGISTRY_VALUE, REG_SZ,
                                    {c.bytes.begin(), c.bytes.end()});
        }
        SamplerEngine engine;
        EXPECT_EQ(samplerSoundsDir(), c.folder);
    }
}

// The names at the edges of every category, the list's length, and every
// program with its own "Funkiness" parameter.
TEST_F(SamplerEngineTest, FactoryProgramsInOrder) {
    const std::pair<int, const char*> names[] = {
        {0, "Our Favorites"}, {1, "-= DRUMS =-"}, {6, "Drum Kit 3"},       {7, "-= LEADS =-"},
        {8, "Lead-00"},       {35, "Lead-27"},    {36, "-= BASS =-"},      {68, "Bass-31"},
        {69, "-= PADS =-"},   {82, "Pad-12"},     {83, "-= LASERS =-"},    {146, "Laser-62"},
        {147, "-= OTHER =-"}, {175, "Other-27"},  {176, "Unnamed Program"}};
    SamplerEngine engine;
    ASSERT_EQ(engine.m_programs.size(), 177u);
    EXPECT_TRUE(engine.m_pCurrentProgram == &engine.m_programs[0]);
    for (const auto& [index, name] : names) {
        EXPECT_EQ(engine.m_programs[static_cast<std::size_t>(index)].m_name, name);
    }
    std::set<const SynthParameter*> parameters;
    for (const SynthProgram& program : engine.m_programs) {
        ASSERT_EQ(program.getParameters().size(), 1u);
        const auto* p = dynamic_cast<const IntegerSynthParameter*>(program.getParameters()[0]);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->m_name + " " + p->m_unit, "Funkiness osc");
        EXPECT_EQ(std::vector<float>({p->m_min, p->m_max, p->m_value}),
                  std::vector<float>({-3.0f, 3.0f, 0.0f}));
        EXPECT_TRUE(parameters.insert(p).second) << "a parameter shared between programs";
    }
    EXPECT_EQ(factoryProgramName(-1) + factoryProgramName(176), "");
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
    writePack(installation.sound("Unnamed Program.jsfb"), {{0, 127, 64, "w3000.wav"}});
    for (const int refused : {-1, 177}) {
        SCOPED_TRACE(refused);
        engine->postNoteOn(60, 100, 0);
        render(*engine, 64);
        ASSERT_TRUE(sampler.voice(0).isActive());
        EXPECT_TRUE(
            printed(captured(*engine, refused), "Loading sample pack from file: " +
                                                    installation.sound("Unnamed Program.jsfb")));
        EXPECT_TRUE(engine->m_pCurrentProgram == &engine->m_programs[176]);
        EXPECT_FALSE(sampler.voice(0).isActive());
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

    // A name that a host has set must not reach a file outside the sounds folder.
    writeWave(installation.dir.file("outside.wav"), constantFrames(100, 1));
    writePack(installation.dir.file("escape.jsfb"), {{0, 127, 60, "../outside.wav"}});
    writePack(installation.sound("..jsfb"), {{0, 127, 60, "w1000.wav"}});
    for (const char* name : {"../escape", "..\\escape", "sub/x", ".", ".."}) {
        SCOPED_TRACE(name);
        engine->m_programs[0].setName(name);
        EXPECT_TRUE(printed(captured(*engine, 0),
                            "Failed to open sample pack: " + installation.sound(name) + ".jsfb"));
        EXPECT_EQ(sampler.zoneForKey(60), kept);
    }
}

TEST_F(SamplerEngineTest, ProcessRendersNotesIntoTwoChannels) {
    install({"Our Favorites"});
    auto engine = installation.engine();
    EXPECT_TRUE(samplesEqual(std::vector<float>(64, 0.0f), render(*engine, 32)))
        << "host content is replaced";

    // With no voice sounding the tick runs after the voices: a note that
    // falls due starts with the next block.
    engine->handleMidi(0x90, 60, 100, 10);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, 0.0f), render(*engine, 64)));
    EXPECT_TRUE(printed(testing::internal::GetCapturedStdout(), "note on: 60"));
    // A sounding voice carries the tick: a note-off acts at its own frame,
    // in both channels.
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
    engine->setSampleRate(96000.0f);
    engine->storeSampleRate(22050.0f);
    EXPECT_EQ(engine->m_sampleRate, 22050.0f);
    EXPECT_TRUE(samplesEqual(std::vector<float>(128, decoded(1000)), render(*engine, 64)));

    // Every note-on the tick executes is told, also one dropped for want of a voice.
    engine->sampler().stopAllVoices();
    for (int note = 40; note < 51; ++note) {
        engine->postNoteOn(note, 90, 0);
    }
    testing::internal::CaptureStdout();
    render(*engine, 16);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(printed(out, "note on: 50"));
    EXPECT_EQ(out.find("activating voice 10"), std::string::npos);
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
