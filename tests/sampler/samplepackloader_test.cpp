#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>

#include "../support/finishesintime.h"
#include "engine/sampler.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

// A sampler playing a pack of one zone over "a.wav", in the test's folder.
struct Rig {
    TempDir dir;
    Sampler sampler;

    Rig() {
        writeWave(dir.file("a.wav"), constantFrames(2000, 3000));
        loadBytes(makePack({{0, 127, 60, "a.wav"}}).SerializeAsString());
    }
    void loadBytes(const std::string& bytes) {
        writeBytes(dir.file("p.jsfb"), bytes);
        sampler.loadSamplePackFile(dir.file("p.jsfb"), dir.path());
    }
    // The first and last key that play `zone` (null: no zone).
    std::string keysOf(const SamplerZone* zone) const {
        int first = -1, last = -1;
        for (int key = 0; key < SAMPLER_NUM_NOTES; ++key) {
            if (sampler.zoneForKey(key) == zone) {
                first = first < 0 ? key : first;
                last = key;
            }
        }
        return first < 0 ? "no key" : std::to_string(first) + ".." + std::to_string(last);
    }
    // Zone `i`'s keys, velocities, root key, envelope settings, whether it
    // holds data (if not, its file's path in the folder), and the keys that
    // play it.
    std::string describe(std::size_t i) const {
        const SamplerZone& zone = *sampler.zones().at(i);
        std::ostringstream out;
        const double* adsr = zone.m_adsrParams;
        out << zone.m_startKey << ' ' << zone.m_endKey << ' ' << zone.m_startVel << ' '
            << zone.m_endVel << ' ' << zone.m_rootKey << ' ' << adsr[0] << ' ' << adsr[1] << ' '
            << adsr[2] << ' ' << adsr[3];
        const std::string file = zone.m_pSample->m_path.substr(dir.path().size());
        return out.str() + (zone.m_pSample->m_pData ? " data " : " none " + file + " ") +
               keysOf(&zone);
    }
};

// What the loader makes of a pack's bytes, zone by zone. Each zone record:
// the key range clamped to the keys, later zones winning, and a sustain level
// outside 0..1 (or no number) made the nearest level the envelope can play,
// so that no voice sounds NaN or louder than its sample. The zone keeps its
// own keys and times (any time keeps the envelope's output finite and within
// range) and reads its WAV file, even when it maps no key. The wire bytes of
// a pack written by hand: one zone 36..47, root 40, and an envelope that sets
// only its release time; then a zone without any field; an empty file name
// leaves a zone without data. A damaged pack replaces the previous one with
// the zones read before the damage. Groups of unknown fields nest without
// limit in the format; the reader takes 64 levels and no more, fewer than
// this protobuf release would allow.
TEST(SamplePackLoader, ZoneRecordsWireFormatAndDamage) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string first = makePack({{10, 20, 15, "a.wav"}}).SerializeAsString(),
                      full = first + makePack({{30, 40, 35, "a.wav"}}).SerializeAsString();
    // Field 15, a group started and ended `depth` times, between the zones.
    const auto nested = [&](std::size_t depth) {
        return first + std::string(depth, '\x7B') + std::string(depth, '\x7C') +
               full.substr(first.size());
    };
    const std::string ten = "10 20 0 127 15 0 0 1 0 data 10..20",
                      thirty = "30 40 0 127 35 0 0 1 0 data 30..40";
    // clang-format off
    const std::vector<PackZone> records = {
        {-5, 200, 60, "a.wav"}, {-10, -3, 61, "a.wav", nan, nan, nan, nan},
        {200, 150, 62, "a.wav", -3, inf, 7, -inf}, {60, 50, 63, "a.wav"},
        {64, 64, 64, "a.wav", inf, -1, -inf, 1e-45f}, {30, 40, 65, "a.wav", 0, 0, 0.5f, 0}};
    // clang-format on
    // The bytes and each zone's description ("": a zone cut short, not told).
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {makePack(records).SerializeAsString(),
         {"-5 200 0 127 60 0 0 1 0 data 1..126", "-10 -3 0 127 61 nan nan 1 nan data 0..0",
          "200 150 0 127 62 -3 inf 1 -inf data 127..127", "60 50 0 127 63 0 0 1 0 data no key",
          "64 64 0 127 64 inf -1 0 1.4013e-45 data 64..64",
          "30 40 0 127 65 0 0 0.5 0 data 30..40"}},
        {std::string("\x12\x0D\x08\x24\x10\x2F\x28\x28\x3A\x05\x25\x00\x00\x00\x3F\x12\x00", 17),
         {"36 47 0 127 40 1 2 1 0.5 none / no key", "0 127 0 127 127 1 2 1 1 none / 0..127"}},
        {"", {}},
        {"this is not a sample pack at all", {}},
        {std::string("\x13\xff\xff\xff", 4), {}}, // a wrong wire type
        {full.substr(0, full.size() - 3), {ten, ""}},
        {full.substr(0, full.size() / 2), {ten}},
        {nested(64), {ten, thirty}},
        {nested(65), {ten}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const auto& [bytes, zones] = c;
        Rig rig;
        rig.loadBytes(bytes);
        EXPECT_TRUE(rig.sampler.isReady());
        ASSERT_EQ(rig.sampler.zones().size(), zones.size());
        for (std::size_t i = 0; i < zones.size(); ++i) {
            EXPECT_EQ(zones[i].empty() ? "" : rig.describe(i), zones[i]);
        }
        EXPECT_TRUE(!zones.empty() || rig.keysOf(nullptr) == "0..127");
        std::vector<float> out(1024, 0.0f);
        for (auto play : {&Sampler::noteOn, &Sampler::noteOff}) {
            for (int key : {0, 64, 127}) {
                (rig.sampler.*play)(key);
            }
            rig.sampler.mix(out.data(), 512, nullptr, nullptr);
        }
        EXPECT_TRUE(allFinite(out));
    }
}

// A pack that is missing, or a folder or FIFO where the pack should be,
// installs nothing and never waits: the zones of the previous pack keep
// playing. The default pack, "samplepack.jsfb" in the folder, prints no
// loading line and its failure line names the folder.
TEST(SamplePackLoader, MissingPackKeepsThePreviousZones) {
    Rig rig;
    const SamplerZone* before = rig.sampler.zoneForKey(60);
    const std::string& dir = rig.dir.path();
    const std::string fifo = rig.dir.file("fifo.jsfb");
    std::filesystem::create_directory(rig.dir.file("folder.jsfb"));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string name : {"absent.jsfb", "folder.jsfb", "fifo.jsfb"}) {
        const std::string path = rig.dir.file(name);
        testing::internal::CaptureStdout();
        EXPECT_TRUE(finishesInTime([&] { rig.sampler.loadSamplePackFile(path, dir); }, fifo));
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "Loading sample pack from file: " + path +
                      "\nFailed to open sample pack: " + path + "\n");
        EXPECT_TRUE(rig.sampler.zoneForKey(60) == before && rig.sampler.isReady());
    }
    EXPECT_EQ(printedBy([&] { rig.sampler.loadDefaultSamplePack(dir); }),
              "Failed to open sample pack: " + dir + "\n");
    EXPECT_TRUE(rig.sampler.zoneForKey(60) == before && rig.sampler.isReady());
    writePack(rig.dir.file("samplepack.jsfb"), {{40, 50, 45, "a.wav"}});
    EXPECT_EQ(printedBy([&] { rig.sampler.loadDefaultSamplePack(dir); }).find("sample pack"),
              std::string::npos);
    EXPECT_EQ(rig.describe(0), "40 50 0 127 45 0 0 1 0 data 40..50");
}

// A zone's WAV file is a file of the pack's folder: a name that leads
// elsewhere is a file that cannot be opened, though one is there, and the
// zone keeps no data. A symbolic link to a pack stays usable. (FIFOs and
// links where a WAV should be are the reader's tests.)
TEST(SamplePackLoader, ZoneFilesStayInTheFolder) {
    Rig rig;
    const std::string sounds = rig.dir.file("sounds");
    std::filesystem::create_directories(sounds + "/sub");
    std::filesystem::create_directories(rig.dir.file("outside"));
    std::vector<PackZone> zones;
    std::string failures;
    for (const std::string name : {"../outside/secret.wav", "sub/a.wav", "sub\\a.wav"}) {
        writeWave(sounds + "/" + name, constantFrames(10, 5));
        zones.push_back({0, 127, 60, name});
        failures += "Failed to open sample: " + sounds + "/" + name + "\n";
    }
    writePack(sounds + "/p.jsfb", zones);
    std::filesystem::create_symlink(sounds + "/p.jsfb", sounds + "/link.jsfb");
    testing::internal::CaptureStderr();
    rig.sampler.loadSamplePackFile(sounds + "/link.jsfb", sounds);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), failures);
    ASSERT_EQ(rig.sampler.zones().size(), zones.size());
    for (const auto& zone : rig.sampler.zones()) {
        EXPECT_EQ(zone->m_pSample->m_pData, nullptr) << zone->m_pSample->m_path;
    }
}

} // namespace
