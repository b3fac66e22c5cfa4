#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "engine/factoryprograms.h"
#include "engine/sampler.h"
#include "platform/module.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

// The sounds folder from registry bytes with or without terminators, too
// long, or absent. The names at the edges of every category (the first and
// last of the list and of the leads are the plug-in library's test's), and
// every program with its own "Funkiness" parameter.
TEST(SamplerEngine, SoundsFolderAndFactoryPrograms) {
    const std::string fallback = "C:/Program Files/Amber Threshold/sounds";
    const std::string key = SAMPLER_REGISTRY_KEY, longFolder = "/" + std::string(400, 'x');
    // "?": the value as seeded, "-": no value, "--": no key
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"?", moduleFolder() + "/sounds"}, {"--", fallback}, {"-", fallback}, {"", fallback},
        {std::string(1, '\0'), fallback}, {std::string(1100, 'a') + '\0', fallback},
        {std::string("D:\\Au\\I") + '\0', "D:\\Au\\I/sounds"}, {std::string("D:\\A\0\0", 6), "D:\\A/sounds"},
        {"/opt", "/opt/sounds"}, {longFolder + '\0', longFolder + "/sounds"}};
    // clang-format on
    for (const auto& [bytes, folder] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        registry_test::reset();
        if (bytes == "--") {
            registry_test::deleteKey(key.substr(0, key.rfind('\\')));
        } else if (bytes == "-") {
            registry_test::deleteValue(key, SAMPLER_REGISTRY_VALUE);
        } else if (bytes != "?") {
            registry_test::setValue(key, SAMPLER_REGISTRY_VALUE, REG_SZ,
                                    {bytes.begin(), bytes.end()});
        }
        SamplerEngine engine;
        EXPECT_EQ(samplerSoundsDir(), folder);
    }
    registry_test::reset();

    SamplerEngine engine;
    ASSERT_EQ(engine.m_programs.size(), 177u);
    std::string names;
    for (const int index : {6, 7, 35, 36, 68, 69, 82, 83, 146, 147}) {
        names += engine.m_programs[static_cast<std::size_t>(index)].m_name + ",";
    }
    EXPECT_EQ(names, "Drum Kit 3,-= LEADS =-,Lead-27,-= BASS =-,Bass-31,-= PADS =-,Pad-12,"
                     "-= LASERS =-,Laser-62,-= OTHER =-,");
    // The plug-in library's test reads the parameter's name, unit and range.
    std::set<const SynthParameter*> parameters;
    for (const SynthProgram& program : engine.m_programs) {
        EXPECT_EQ(program.getParameters().at(0)->m_value, 0.0f) << program.m_name;
        EXPECT_TRUE(parameters.insert(program.getParameters()[0]).second) << "shared";
    }
    EXPECT_EQ(factoryProgramName(-1) + factoryProgramName(176), "");
    EXPECT_EQ(printedBy(printGreeting), "Hello, I am a synth");
}

// A program's pack is loaded when it is selected. A refused index keeps the
// current program and loads its pack again (changed on disk meanwhile); a
// program whose pack is missing keeps the zones of the one before; a name
// that a host has set never reaches a file outside the sounds folder. Each
// of them stops every voice.
TEST(SamplerEngine, ProgramsLoadTheirPacksAndPlay) {
    // Packs named after programs, each one zone over a WAV file of its own
    // value: 1000 for the first program, 2000 for the second...
    const Installation installation;
    const std::string programs[] = {"Our Favorites", "-= DRUMS =-", "Unnamed Program"};
    for (int i = 1; i <= 3; ++i) {
        const std::string wave = "w" + std::to_string(i) + ".wav";
        writeWave(installation.sound(wave), constantFrames(30000, 1000 * i));
        writePack(installation.sound(programs[i - 1] + ".jsfb"), {{0, 127, 60, wave}});
    }
    auto engine = engineAt(installation.dir.path());
    Sampler& sampler = engine->sampler();
    EXPECT_EQ(sampler.zoneForKey(60), nullptr) << "the constructor loads nothing";
    for (const auto& [index, value] : {std::pair{0, 1000}, {1, 2000}, {176, 3000}}) {
        engine->setProgram(index);
        const SamplerZone* zone = sampler.zoneForKey(60);
        EXPECT_TRUE(zone && zone->m_pSample->m_pData[0] == decoded(value)) << index;
    }
    const auto select = [&](int index, const std::string& line) {
        engine->postNoteOn(60, 100, 0);
        render(*engine, 64);
        EXPECT_TRUE(sampler.voice(0).isActive());
        EXPECT_NE(printedBy([&] { engine->setProgram(index); }).find(line + "\n"),
                  std::string::npos)
            << line;
        EXPECT_FALSE(sampler.voice(0).isActive());
    };

    writePack(installation.sound("Unnamed Program.jsfb"), {{0, 127, 64, "w3.wav"}});
    for (const int refused : {-1, 177}) {
        select(refused,
               "Loading sample pack from file: " + installation.sound("Unnamed Program.jsfb"));
        EXPECT_TRUE(engine->m_pCurrentProgram == &engine->m_programs[176] &&
                    sampler.zoneForKey(60)->m_rootKey == 64)
            << "kept and read again";
    }

    const SamplerZone* kept = sampler.zoneForKey(60);
    select(2, "Failed to open sample pack: " + installation.sound("Kicks.jsfb"));
    writeWave(installation.dir.file("outside.wav"), constantFrames(100, 1));
    writePack(installation.dir.file("escape.jsfb"), {{0, 127, 60, "../outside.wav"}});
    writePack(installation.sound("..jsfb"), {{0, 127, 60, "w1.wav"}});
    for (const char* name : {"../escape", "..\\escape", "sub/x", ".", ".."}) {
        engine->m_programs[0].setName(name);
        select(0, "Failed to open sample pack: " + installation.sound(name) + ".jsfb");
    }
    EXPECT_EQ(sampler.zoneForKey(60), kept);

    // A host block longer than the sampler's mix buffer plays as consecutive
    // blocks would, and every queued event still meets its frame. Process
    // replaces the host's content and writes both channels; a note played
    // prints its line. (Where the tick runs, with and without a sounding
    // voice, the sampler's tests and the golden scenario show.)
    auto whole = installation.engine();
    auto pieces = installation.engine();
    // Neither pitch bend nor the host's sample rate changes the sound.
    whole->pitchBend(0.7f);
    whole->handleMidi(0xE0, 0x7F, 0x7F, 0);
    whole->setSampleRate(96000.0f);
    whole->storeSampleRate(22050.0f);
    for (SamplerEngine* e : {whole.get(), pieces.get()}) {
        e->postNoteOn(60, 100, 0);
        e->postNoteOff(60, 20000);
        e->postNoteOn(64, 100, 35000);
    }
    const auto big = render(*whole, 40000);
    std::vector<float> out(80000);
    for (int done = 0; done < 40000; done += 16384) {
        float* outputs[2] = {&out[done], &out[40000 + done]};
        pieces->process(nullptr, outputs, std::min(16384, 40000 - done));
    }
    EXPECT_TRUE(samplesEqual(out, big));
    EXPECT_EQ(whole->liveEventCount(), 0) << "every event executed";
    EXPECT_NE(big[16384 + 100], 0.0f) << "the first note starts with the second piece";

    whole->handleMidi(0x90, 60, 100, 10);
    EXPECT_NE(printedBy([&] { render(*whole, 64); }).find("note on: 60\n"), std::string::npos);
}

// The factory sound set as the build installs it beside the plug-in: every
// program finds its pack, every zone its WAV file, no key is transposed by
// more than an octave, and every program sounds, finitely and distinctly.
// The loader's and the notes' lines are not the point here.
TEST(FactorySoundSet, EveryProgramSounds) {
    const std::string installation = AMBER_PLUGIN_DIR;
    if (!std::filesystem::exists(installation + "/sounds/Our Favorites.jsfb")) {
        GTEST_SKIP() << "no sound set in " << installation;
    }
    auto engine = engineAt(installation);
    Sampler& sampler = engine->sampler();

    std::map<uint64_t, std::string> sounds;
    for (int index = 0; index < static_cast<int>(engine->m_programs.size()); ++index) {
        const std::string& name = engine->m_programs[static_cast<std::size_t>(index)].m_name;
        SCOPED_TRACE(name);
        printedBy([&] { engine->setProgram(index); });
        ASSERT_FALSE(sampler.zones().empty());
        for (int key = 0; key < SAMPLER_NUM_NOTES; ++key) {
            const SamplerZone* z = sampler.zoneForKey(key);
            EXPECT_TRUE(!z || (z->m_pSample->m_pData && std::abs(key - z->m_rootKey) <= 12)) << key;
        }
        // The root key of the middle zone, or the zone's key nearest to it.
        const SamplerZone& middle = *sampler.zones()[sampler.zones().size() / 2];
        const int note = std::clamp(middle.m_rootKey, std::max(middle.m_startKey, 0),
                                    std::min(middle.m_endKey, 127));
        ASSERT_EQ(sampler.zoneForKey(note), &middle);
        engine->postNoteOn(note, 100, 0);
        printedBy([&] { render(*engine, 64); }); // the note starts with the next block
        // Long enough for the slowest attack to arrive.
        const std::vector<float> block = render(*engine, 4 * 4096);
        EXPECT_TRUE(allFinite(block));
        const auto [low, high] = std::minmax_element(block.begin(), block.end());
        const float peak = std::max(-*low, *high);
        EXPECT_TRUE(peak > 0.02f && peak <= 1.0f) << peak;
        const auto [previous, fresh] = sounds.emplace(fingerprint(block), name);
        EXPECT_TRUE(fresh) << "sounds like " << previous->second;
    }
}

} // namespace
