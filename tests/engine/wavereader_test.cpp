#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/samplerzone.h"
#include "engine/wavereader.h"
#include "enginetestsupport.h"

namespace {

using enginetest::buildWave;
using enginetest::chunk;
using enginetest::floatsEqual;
using enginetest::splitLines;
using enginetest::TempFile;
using enginetest::WaveFields;

struct Loaded {
    int32_t result;
    std::vector<float> floats;
    bool aligned;
    std::vector<std::string> out;
    std::string err;
};

Loaded load(const std::string& path) {
    float* data = reinterpret_cast<float*>(1);
    int32_t count = -1;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    Loaded loaded{readWaveFile(path, &data, &count), {}, false, {}, {}};
    loaded.out = splitLines(::testing::internal::GetCapturedStdout());
    loaded.err = ::testing::internal::GetCapturedStderr();
    if (data != nullptr) {
        loaded.floats.assign(data, data + count);
        loaded.aligned = reinterpret_cast<std::uintptr_t>(data) % 16 == 0;
    } else {
        EXPECT_EQ(count, 0);
    }
    freeWaveData(data);
    return loaded;
}

Loaded loadBytes(const std::vector<uint8_t>& bytes) {
    TempFile file("wave.wav", bytes);
    return load(file.path);
}

float v(int16_t s) {
    return static_cast<float>(s) / 32767.0f;
}

TEST(WaveReader, DecodesSixteenBitStereo) {
    WaveFields fields;
    fields.samples = {0, 1, -1, 32767, -32768, 12345};
    const Loaded loaded = loadBytes(buildWave(fields));
    ASSERT_EQ(loaded.result, 0) << loaded.err;
    EXPECT_TRUE(loaded.aligned);
    EXPECT_TRUE(
        floatsEqual({0.0f, v(1), v(-1), 1.0f, -32768.0f / 32767.0f, v(12345)}, loaded.floats));
    ASSERT_EQ(loaded.out.size(), 4u);
    EXPECT_EQ(loaded.out[0], "Number of samples in WAVE: 6");
    const std::string reading = "reading 13 bytes from ";
    ASSERT_EQ(loaded.out[1].substr(0, reading.size()), reading);
    EXPECT_EQ(loaded.out[2], "Bytes read: 12= # of samples: 6error code: 0");
    // The buffer freed is the one read into.
    EXPECT_EQ(loaded.out[3], "freeing " + loaded.out[1].substr(reading.size()));
    EXPECT_EQ(loaded.err, "");
}

TEST(WaveReader, AcceptedVariants) {
    const std::vector<uint8_t> cue = chunk("cue ", std::vector<uint8_t>(28, 7));
    const struct {
        const char* what;
        std::vector<std::vector<uint8_t>> preChunks;
        std::vector<int16_t> samples;
        std::vector<uint8_t> rawData;
        std::vector<uint8_t> trailing;
        std::vector<float> floats;
        const char* bytesReadLine;
    } cases[] = {
        {"cue chunk",
         {cue},
         {100, -100},
         {},
         {},
         {v(100), v(-100)},
         "Bytes read: 4= # of samples: 2error code: 0"},
        {"empty cue chunk", {chunk("cue ", {})}, {5, 6}, {}, {}, {v(5), v(6)}, nullptr},
        {"one frame, data follows",
         {},
         {7, 8},
         {},
         {1, 2, 3},
         {v(7), v(8)},
         "Bytes read: 5= # of samples: 2error code: 0"},
        {"odd float count", {}, {1, 2, 3}, {}, {}, {v(1), v(2), v(3)}, nullptr},
        {"odd byte count", {}, {}, {1, 0, 2, 0, 9}, {}, {v(1), v(2)}, nullptr},
        {"one byte", {}, {}, {9}, {}, {}, nullptr},
    };
    for (const auto& c : cases) {
        WaveFields fields;
        fields.preChunks = c.preChunks;
        fields.samples = c.samples;
        fields.dataBytesOverride = c.rawData;
        fields.trailing = c.trailing;
        const Loaded loaded = loadBytes(buildWave(fields));
        ASSERT_EQ(loaded.result, 0) << c.what << ": " << loaded.err;
        EXPECT_TRUE(floatsEqual(c.floats, loaded.floats)) << c.what;
        if (c.bytesReadLine != nullptr) {
            ASSERT_GE(loaded.out.size(), 3u);
            EXPECT_EQ(loaded.out[2], c.bytesReadLine) << c.what;
        }
    }
}

TEST(WaveReader, DataChunkLongerThanTheFileEndsInZeros) {
    WaveFields fields;
    fields.samples = {1000, 2000, 3000};
    fields.dataBytesOverride = {0xE8, 0x03, 0xD0, 0x07, 0xB8}; // last value cut after its low byte
    fields.dataSizeOverride = 100;
    const Loaded loaded = loadBytes(buildWave(fields));
    ASSERT_EQ(loaded.result, 0) << loaded.err;
    std::vector<float> expected(50, 0.0f);
    expected[0] = v(1000);
    expected[1] = v(2000);
    expected[2] = v(0xB8);
    EXPECT_TRUE(floatsEqual(expected, loaded.floats));
    EXPECT_EQ(loaded.out[1].substr(0, 22), "reading 101 bytes from");
    EXPECT_EQ(loaded.out[2], "Bytes read: 5= # of samples: 2error code: 0");
}

TEST(WaveReader, OtherLayoutsAreRefused) {
    const auto with = [](auto change) {
        WaveFields fields;
        fields.samples = {1, 2, 3, 4};
        change(fields);
        return buildWave(fields);
    };
    const std::vector<uint8_t> cue = chunk("cue ", std::vector<uint8_t>(4, 0));
    const std::vector<uint8_t> good = with([](WaveFields&) {});
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"RIFF id", with([](WaveFields& s) { s.riffId = "RIFX"; })},
        {"WAVE id", with([](WaveFields& s) { s.waveId = "AVI "; })},
        {"fmt id", with([](WaveFields& s) { s.fmtId = "junk"; })},
        {"fmt size 18", with([](WaveFields& s) {
             s.fmtSize = 18;
             s.fmtExtra = {0, 0};
         })},
        {"float format", with([](WaveFields& s) { s.format = 3; })},
        {"extensible format", with([](WaveFields& s) { s.format = 0xFFFE; })},
        {"mono", with([](WaveFields& s) {
             s.channels = 1;
             s.byteRate = 88200;
             s.blockAlign = 2;
         })},
        {"48000 Hz", with([](WaveFields& s) {
             s.rate = 48000;
             s.byteRate = 192000;
         })},
        {"byte rate", with([](WaveFields& s) { s.byteRate = 1; })},
        {"block align", with([](WaveFields& s) { s.blockAlign = 2; })},
        {"24 bits", with([](WaveFields& s) { s.bits = 24; })},
        {"LIST chunk", with([](WaveFields& s) {
             s.preChunks = {chunk("LIST", {1, 2, 3, 4})};
         })},
        {"two cue chunks", with([&](WaveFields& s) {
             s.preChunks = {cue, cue};
         })},
        {"cue then LIST", with([&](WaveFields& s) {
             s.preChunks = {cue, chunk("LIST", {})};
         })},
        {"cue past the end", with([](WaveFields& s) {
             s.preChunks = {{'c', 'u', 'e', ' ', 0xFF, 0xFF, 0, 0}};
         })},
        {"data of 2 GiB", with([](WaveFields& s) { s.dataSizeOverride = 0x80000000LL; })},
        {"data of 4 GiB", with([](WaveFields& s) { s.dataSizeOverride = 0xFFFFFFFFLL; })},
        {"empty file", {}},
        {"cut in RIFF header", std::vector<uint8_t>(good.begin(), good.begin() + 11)},
        {"cut in fmt chunk", std::vector<uint8_t>(good.begin(), good.begin() + 35)},
        {"cut in data header", std::vector<uint8_t>(good.begin(), good.begin() + 43)},
    };
    for (const auto& c : cases) {
        TempFile file("refused.wav", c.bytes);
        const Loaded loaded = load(file.path);
        EXPECT_EQ(loaded.result, WAVE_READ_UNSUPPORTED) << c.what;
        EXPECT_TRUE(loaded.floats.empty()) << c.what;
        EXPECT_TRUE(loaded.out.empty()) << c.what;
        const std::string prefix = "Unsupported sample: " + file.path + " (";
        EXPECT_EQ(loaded.err.substr(0, prefix.size()), prefix) << c.what;
        EXPECT_EQ(loaded.err.back(), '\n') << c.what;
    }
}

TEST(WaveReader, StreamLimitOnDataSize) {
    WaveFields fields;
    fields.samples = {1, 2, 3, 4};
    const std::vector<uint8_t> bytes = buildWave(fields);
    for (uint32_t limit : {8u, 9u}) {
        std::FILE* f = fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
        ASSERT_NE(f, nullptr);
        float* data = nullptr;
        int32_t count = 0;
        const int32_t result = readWaveStream(f, "mem", &data, &count, limit, nullptr, nullptr);
        std::fclose(f);
        EXPECT_EQ(result, limit == 8u ? WAVE_READ_UNSUPPORTED : WAVE_READ_OK) << limit;
        EXPECT_EQ(count, limit == 8u ? 0 : 4);
        freeWaveData(data);
    }
}

TEST(Sample, ReportsLoadingOnStandardOutput) {
    WaveFields fields;
    fields.samples = {10, 20, 30, 40};
    TempFile file("sample.wav", buildWave(fields));
    ::testing::internal::CaptureStdout();
    {
        const Sample sample(file.path);
        EXPECT_EQ(sample.numSamples(), 4);
        ASSERT_NE(sample.m_pData, nullptr);
        EXPECT_EQ(sample.m_pData[3], v(40));
    }
    const std::vector<std::string> out = splitLines(::testing::internal::GetCapturedStdout());
    EXPECT_EQ(out.back(), "Loaded sample " + file.path + " with length 4");

    const std::string missing = file.path + ".missing";
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const Sample none(missing);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Failed to open sample: " + missing + "\n");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Failed to load " + missing + "\n");
    EXPECT_EQ(none.m_pData, nullptr);
    EXPECT_EQ(none.numSamples(), 0);
    EXPECT_EQ(load(missing).result, WAVE_READ_CANNOT_OPEN);
}

TEST(SamplerZone, KeepsItsValuesAndSurvivesAMissingFile) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    SamplerZone zone(60, 50, 1, 127, 200, "/nonexistent/amber/zone.wav");
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Failed to load /nonexistent/amber/zone.wav\n");
    EXPECT_EQ(zone.m_startKey, 60);
    EXPECT_EQ(zone.m_endKey, 50);
    EXPECT_EQ(zone.m_rootKey, 200);
    ASSERT_NE(zone.m_pSample, nullptr);
    EXPECT_EQ(zone.m_pSample->m_pData, nullptr);
    EXPECT_EQ(std::vector<double>(zone.m_adsrParams, zone.m_adsrParams + 4),
              (std::vector<double>{5.0, 1.0, 1.0, 300.0}));

    SamplerZone unused;
    EXPECT_EQ(unused.m_pSample, nullptr);
    EXPECT_EQ(unused.m_rootKey, 65);
    EXPECT_EQ(unused.m_endKey, 127);
    EXPECT_EQ(std::vector<double>(unused.m_adsrParams, unused.m_adsrParams + 4),
              (std::vector<double>{1.0, 1.0, 1.0, 300.0}));
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    unused.setSample(new Sample("/nonexistent/a.wav"));
    unused.setSample(new Sample("/nonexistent/b.wav")); // the first is freed
    ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(unused.m_pSample->m_path, "/nonexistent/b.wav");
}

} // namespace
