// The factory sound set as the build installs it beside the plug-in: every
// program finds its pack, every zone its WAV file, no key is transposed by
// more than an octave, and every program sounds, finitely and distinctly.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "engine/sampler.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

// The loader's and the notes' lines are not the point here.
struct Quiet {
    Quiet() { testing::internal::CaptureStdout(); }
    ~Quiet() { testing::internal::GetCapturedStdout(); }
};

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
        ASSERT_TRUE(std::filesystem::exists(installation + "/sounds/" + name + ".jsfb"));
        const Quiet quiet;
        engine->setProgram(index);
        ASSERT_FALSE(sampler.zones().empty());
        for (int key = 0; key < SAMPLER_NUM_NOTES; ++key) {
            const SamplerZone* zone = sampler.zoneForKey(key);
            ASSERT_TRUE(zone == nullptr || zone->m_pSample->m_pData != nullptr) << key;
            EXPECT_TRUE(zone == nullptr || std::abs(key - zone->m_rootKey) <= 12) << key;
        }
        // The root key of the middle zone, or the zone's key nearest to it.
        const SamplerZone& middle = *sampler.zones()[sampler.zones().size() / 2];
        const int note = std::clamp(middle.m_rootKey, std::max(middle.m_startKey, 0),
                                    std::min(middle.m_endKey, 127));
        ASSERT_EQ(sampler.zoneForKey(note), &middle);
        engine->postNoteOn(note, 100, 0);
        render(*engine, 64); // the note starts with the next block
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
