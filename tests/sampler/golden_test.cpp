// A fixed scenario rendered at several block sizes and compared with
// committed fingerprints of the exact output, so that no change alters the
// sound unnoticed. After an intended change of the sound, print the new
// fingerprints with tests/sampler/print-golden.sh and commit them.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "samplertestutil.h"

using namespace samplertest;

namespace {

// Overlapping notes on both pitch paths, below and far above the roots, a
// note struck again, note-offs, all-notes-off and a key without a zone:
// frame, status, data.
const int EVENTS[][4] = {
    {0, 0x90, 48, 100},    {100, 0x90, 55, 90},    {700, 0x90, 36, 80},   {1500, 0x90, 72, 100},
    {1600, 0x90, 85, 70},  {2000, 0x80, 48, 0},    {2600, 0x90, 60, 60},  {3000, 0x90, 55, 0},
    {3500, 0x90, 100, 90}, {4000, 0x80, 36, 0},    {4200, 0x90, 48, 100}, {4300, 0x90, 48, 100},
    {5000, 0xB0, 123, 0},  {5500, 0x90, 67, 100},  {5501, 0x90, 20, 100}, {6000, 0x80, 67, 0},
    {7000, 0x90, 59, 100}, {7100, 0x90, 127, 100}, {7900, 0x80, 59, 0}};

// A bright, slightly detuned saw pair, and a rough triangle, from integer
// arithmetic only.
int16_t voiceA(int k) {
    return static_cast<int16_t>(((k * 331) % 2000 - 1000) * 9 + ((k * 347) % 2000 - 1000) * 6);
}
int16_t voiceARight(int k) {
    return static_cast<int16_t>(((k * 331) % 2000 - 1000) * 14);
}
int16_t voiceB(int k) {
    const int tri = (k * 97) % 4000;
    return static_cast<int16_t>((tri < 2000 ? tri - 1000 : 3000 - tri) * 20 - (k % 7) * 300);
}

uint64_t renderScenario(int blockSize) {
    Installation installation;
    writeWave(installation.sound("a.wav"), frames(12000, voiceA, voiceARight));
    std::vector<int16_t> b = frames(6000, voiceB, voiceB);
    b.push_back(1234); // an odd float count
    writeWave(installation.sound("b.wav"), b);
    writePack(installation.sound("Our Favorites.jsfb"),
              {{0, 59, 48, "a.wav", 2.0f, 30.0f, 0.6f, 40.0f},
               {60, 126, 72, "b.wav", 0.0f, 10.0f, 0.8f, 5.0f},
               {21, 19, 20, "a.wav"}});
    auto engine = installation.engine();

    std::vector<float> output; // interleaved
    for (int start = 0; start < 8192; start += blockSize) {
        for (const auto& [frame, status, data1, data2] : EVENTS) {
            if (frame >= start && frame < start + blockSize) {
                engine->handleMidi(status, data1, data2, frame - start);
            }
        }
        const std::vector<float> block = render(*engine, blockSize);
        for (auto left = block.begin(); left != block.begin() + blockSize; ++left) {
            output.insert(output.end(), {*left, *(left + blockSize)});
        }
    }
    return fingerprint(output);
}

TEST(SamplerGolden, FixedScenarioAtSeveralBlockSizes) {
    const std::pair<int, uint64_t> golden[] = {
        {1, 0x5532f0925c4a291eull}, {64, 0xd0e0f1b076892b1eull}, {512, 0xcb9b63b84c925657ull}};
    for (const auto& [blockSize, expected] : golden) {
        const uint64_t actual = renderScenario(blockSize);
        if (std::getenv("AMBER_PRINT_GOLDEN") != nullptr) {
            std::fprintf(stderr, "GOLDEN {%d, 0x%016" PRIx64 "ull},\n", blockSize, actual);
        }
        EXPECT_EQ(actual, expected) << blockSize << ": the sound changed (see print-golden.sh)";
    }
}

} // namespace
