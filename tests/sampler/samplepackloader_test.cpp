#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <sstream>

#include "../support/finishesintime.h"
#include "engine/samplepackloader.h"
#include "engine/sampler.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

struct Rig {
    TempDir dir;
    Sampler sampler;

    Rig() { writeWave(dir.file("a.wav"), constantFrames(2000, 3000)); }
    void loadBytes(const std::string& bytes) {
        writeBytes(dir.file("p.jsfb"), bytes);
        sampler.loadSamplePackFile(dir.file("p.jsfb"), dir.path());
    }
    void load(const std::vector<PackZone>& zones) {
        loadBytes(makePack(zones).SerializeAsString());
    }
    // The first and last key that play `zone`, or -1 when none does.
    std::pair<int, int> keysOf(const SamplerZone* zone) const {
        int first = -1;
        int last = -1;
        for (int key = 0; key < SAMPLER_NUM_NOTES; ++key) {
            if (sampler.zoneForKey(key) == zone) {
                first = first < 0 ? key : first;
                last = key;
            }
        }
        return {first, last};
    }
};

TEST(SamplePackLoader, KeyRangesAreClampedAndLaterZonesWin) {
    const struct {
        int start, end;
        std::pair<int, int> keys;
    } cases[] = {
        {-5, 200, {0, 127}}, {60, 50, {-1, -1}}, {200, 150, {127, 127}},
        {-10, -3, {0, 0}},   {64, 64, {64, 64}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
        Rig rig;
        rig.load({{c.start, c.end, 60, "a.wav"}});
        ASSERT_EQ(rig.sampler.zones().size(), 1u) << "a zone that maps no key is still made";
        const SamplerZone* zone = rig.sampler.zones()[0].get();
        EXPECT_EQ(rig.keysOf(zone), c.keys);
        EXPECT_EQ(zone->m_startKey, c.start) << "the zone keeps its own values";
        EXPECT_EQ(zone->m_endKey, c.end);
        EXPECT_NE(zone->m_pSample->m_pData, nullptr) << "its WAV file is read all the same";
    }

    Rig rig;
    rig.load({{0, 64, 60, "a.wav"}, {60, 127, 60, "a.wav"}});
    ASSERT_EQ(rig.sampler.zones().size(), 2u);
    EXPECT_EQ(rig.keysOf(rig.sampler.zones()[0].get()), std::make_pair(0, 59));
    EXPECT_EQ(rig.keysOf(rig.sampler.zones()[1].get()), std::make_pair(60, 127));
}

// The wire bytes of a pack written by hand: one zone 36..47, root 40, and an
// envelope that sets only its release time; then a zone without any field,
// whose empty file name leaves it without data.
TEST(SamplePackLoader, ReadsTheWireFormatAbsentFieldsAsDefaults) {
    Rig rig;
    rig.loadBytes(
        std::string("\x12\x0D\x08\x24\x10\x2F\x28\x28\x3A\x05\x25\x00\x00\x00\x3F\x12\x00", 17));
    ASSERT_EQ(rig.sampler.zones().size(), 2u);
    const SamplerZone& zone = *rig.sampler.zones()[0];
    const SamplerZone& empty = *rig.sampler.zones()[1];
    EXPECT_EQ(rig.keysOf(&empty), std::make_pair(0, 127)) << "the later zone wins";
    EXPECT_EQ(std::vector<int>({zone.m_startKey, zone.m_endKey, zone.m_startVel, zone.m_endVel,
                                zone.m_rootKey, empty.m_startKey, empty.m_endKey, empty.m_rootKey}),
              std::vector<int>({36, 47, 0, 127, 40, 0, 127, 127}));
    EXPECT_EQ(std::vector<double>(zone.m_adsrParams, zone.m_adsrParams + 4),
              std::vector<double>({1.0, 2.0, 1.0, 0.5}));
    EXPECT_EQ(std::vector<double>(empty.m_adsrParams, empty.m_adsrParams + 4),
              std::vector<double>({1.0, 2.0, 1.0, 1.0}));
    EXPECT_EQ(empty.m_pSample->m_path, rig.dir.path() + "/");
    EXPECT_EQ(empty.m_pSample->m_pData, nullptr);
}

TEST(SamplePackLoader, EmptyGarbageAndTruncatedPacks) {
    const std::string full =
        makePack({{10, 20, 15, "a.wav"}, {30, 40, 35, "a.wav"}}).SerializeAsString();
    const struct {
        const char* what;
        std::string bytes;
        std::size_t zones;
    } cases[] = {
        {"empty file", "", 0},
        {"text", "this is not a sample pack at all", 0},
        {"bytes of a wrong wire type", std::string("\x13\xff\xff\xff", 4), 0},
        {"cut inside the second zone", full.substr(0, full.size() - 3), 2},
        {"cut after the first zone", full.substr(0, full.size() / 2), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.load({{0, 127, 60, "a.wav"}});
        rig.loadBytes(c.bytes);
        EXPECT_TRUE(rig.sampler.isReady());
        EXPECT_EQ(rig.sampler.zones().size(), c.zones);
        // Without zones every key is without a zone, keysOf(nullptr) spans them all.
        const SamplerZone* first = c.zones > 0 ? rig.sampler.zones()[0].get() : nullptr;
        EXPECT_EQ(rig.keysOf(first), c.zones > 0 ? std::make_pair(10, 20) : std::make_pair(0, 127));
    }
}

// A pack that is missing, or a folder or FIFO where the pack should be,
// installs nothing and never waits: the zones of the previous pack keep
// playing. The default pack,
// "samplepack.jsfb" in the folder, prints no loading line and its failure
// line names the folder.
TEST(SamplePackLoader, MissingPackKeepsThePreviousZones) {
    Rig rig;
    rig.load({{0, 127, 60, "a.wav"}});
    const SamplerZone* before = rig.sampler.zoneForKey(60);
    const std::string& dir = rig.dir.path();
    const std::string absent = rig.dir.file("absent.jsfb");
    const std::string folder = rig.dir.file("folder.jsfb");
    const std::string fifo = rig.dir.file("fifo.jsfb");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string loading = "Loading sample pack from file: ";
    const std::string failed = "Failed to open sample pack: ";
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { rig.sampler.loadSamplePackFile(absent, dir); },
         loading + absent + "\n" + failed + absent + "\n"},
        {[&] { rig.sampler.loadSamplePackFile(folder, dir); },
         loading + folder + "\n" + failed + folder + "\n"},
        {[&] { rig.sampler.loadSamplePackFile(fifo, dir); },
         loading + fifo + "\n" + failed + fifo + "\n"},
        {[&] { rig.sampler.loadDefaultSamplePack(dir); }, failed + dir + "\n"},
    };
    for (const auto& [load, printed] : cases) {
        testing::internal::CaptureStdout();
        EXPECT_TRUE(finishesInTime(load, fifo));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), printed);
        EXPECT_EQ(rig.sampler.zoneForKey(60), before);
        EXPECT_TRUE(rig.sampler.isReady());
    }
    writePack(rig.dir.file("samplepack.jsfb"), {{40, 50, 45, "a.wav"}});
    testing::internal::CaptureStdout();
    rig.sampler.loadDefaultSamplePack(dir);
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("sample pack"), std::string::npos);
    ASSERT_EQ(rig.sampler.zones().size(), 1u);
    EXPECT_EQ(rig.keysOf(rig.sampler.zones()[0].get()), std::make_pair(40, 50));
}

// A zone's WAV file is a file of the pack's folder: a name that leads
// elsewhere, or a FIFO, is a file that cannot be opened and the zone keeps no
// data. Symbolic links to regular files, for a WAV or a pack, stay usable.
TEST(SamplePackLoader, ZoneFilesStayInTheFolderAndAreRegular) {
    Rig rig;
    const std::string sounds = rig.dir.file("sounds");
    std::filesystem::create_directories(sounds + "/sub");
    std::filesystem::create_directories(rig.dir.file("outside"));
    for (const char* name : {"outside/secret.wav", "sounds/sub/a.wav", "sounds/sub\\a.wav"}) {
        writeWave(rig.dir.file(name), constantFrames(10, 5));
    }
    ASSERT_EQ(::mkfifo((sounds + "/fifo.wav").c_str(), 0600), 0);
    std::filesystem::create_symlink(rig.dir.file("a.wav"), sounds + "/link.wav");
    const std::vector<std::string> names = {"../outside/secret.wav",
                                            "sub/a.wav",
                                            "sub\\a.wav",
                                            sounds + "/sub/a.wav",
                                            "..",
                                            ".",
                                            "fifo.wav",
                                            "link.wav"};
    std::vector<PackZone> zones;
    for (const std::string& name : names) {
        zones.push_back({0, 127, 60, name});
    }
    writePack(sounds + "/p.jsfb", zones);
    std::filesystem::create_symlink(sounds + "/p.jsfb", sounds + "/link.jsfb");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(
        finishesInTime([&] { rig.sampler.loadSamplePackFile(sounds + "/link.jsfb", sounds); },
                       sounds + "/fifo.wav"));
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(rig.sampler.zones().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool linked = names[i] == "link.wav";
        const std::string path = sounds + "/" + names[i];
        EXPECT_EQ(rig.sampler.zones()[i]->m_pSample->m_pData != nullptr, linked) << path;
        EXPECT_EQ(err.find("Failed to open sample: " + path + "\n") != std::string::npos, !linked)
            << path;
    }
}

// Envelope settings from a file: a sustain level outside 0..1 (or no number)
// becomes the nearest level the envelope can play; the times stay as they
// are, since any time keeps the envelope's output finite and within range.
TEST(SamplePackLoader, UnplayableSustainLevelsAreTamedTimesKept) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float a, d, s, r;
        double expected[4];
    } cases[] = {
        {nan, nan, nan, nan, {nan, nan, 1.0, nan}},
        {-3.0f, -1.0f, 7.0f, -2.0f, {-3.0, -1.0, 1.0, -2.0}},
        {0.5f, 0.25f, -0.5f, inf, {0.5, 0.25, 0.0, inf}},
        {0.0f, 0.0f, -inf, 0.0f, {0.0, 0.0, 0.0, 0.0}},
        {inf, -inf, inf, 1e-45f, {inf, -inf, 1.0, static_cast<double>(1e-45f)}},
        {-inf, inf, 0.5f, -inf, {-inf, inf, 0.5, -inf}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Rig rig;
        rig.load({{0, 127, 60, "a.wav", c.a, c.d, c.s, c.r}});
        const double* params = rig.sampler.zones()[0]->m_adsrParams;
        EXPECT_TRUE(samplesEqual(std::vector<float>(c.expected, c.expected + 4),
                                 std::vector<float>(params, params + 4)));
        std::vector<float> out(1024, 0.0f);
        rig.sampler.noteOn(60);
        rig.sampler.mix(out.data(), 512, nullptr, nullptr);
        rig.sampler.noteOff(60);
        rig.sampler.mix(out.data(), 512, nullptr, nullptr);
        EXPECT_TRUE(allFinite(out));
        EXPECT_LE(*std::max_element(out.begin(), out.end(),
                                    [](float a, float b) { return std::fabs(a) < std::fabs(b); }),
                  1.01f);
    }
}

// Groups of unknown fields nest without limit in the format; the reader
// stops at 64 levels, fewer than this protobuf release would allow.
TEST(SamplePackLoader, NestingIsLimited) {
    auto nested = [](int depth) {
        const std::string open(static_cast<std::size_t>(depth), '\x7B');  // field 15, group start
        const std::string close(static_cast<std::size_t>(depth), '\x7C'); // field 15, group end
        return std::string("\x12\x02\x08\x05", 4) + open + close;
    };
    Kestrovalian::SamplePack pack;
    for (const int depth : {10, 60, 70, 90}) {
        std::istringstream in(nested(depth), std::ios::binary);
        EXPECT_EQ(readSamplePack(in, pack), depth < 64) << depth;
        // Read into the same pack each time: it is cleared first.
        EXPECT_EQ(pack.zone_size(), 1) << "what came before the damage stays";
    }
}

} // namespace
