// One thread renders blocks with notes while another changes programs, as a
// host's audio and GUI threads do. Run under ThreadSanitizer: no race may be
// reported, nothing may crash, and every block must be finite.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <thread>

#include "engine/sampler.h"
#include "engine/samplerengine.h"
#include "platform/registry.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

TEST(SamplerConcurrency, ProgramChangesWhileRendering) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("sounds"));
    const char* programs[] = {"Our Favorites", "-= DRUMS =-", "Kicks", "Snares"};
    int value = 3000;
    for (const char* name : programs) {
        const std::string wave = std::string("w") + std::to_string(value) + ".wav";
        writeWave(dir.file("sounds/" + wave),
                  constantFrames(400 + value / 10, static_cast<int16_t>(value)));
        writePack(dir.file(std::string("sounds/") + name + ".jsfb"),
                  makePack({{0, 63, 60, wave, 0.5f, 5.0f, 0.7f, 3.0f},
                            {64, 127, 70, wave, 0.0f, 0.0f, 1.0f, 0.0f}}));
        value += 3000;
    }
    registry_test::setString("SOFTWARE\\Kestrovalian\\Amber Threshold", "InstallDir", dir.path());
    auto engine = std::make_unique<SamplerEngine>();
    registry_test::reset();
    engine->setProgram(0);

    std::atomic<bool> rendering{true};
    std::atomic<int> changes{0};
    std::thread programThread([&] {
        // Index 4 ("Drum Kit 1") has no pack: the previous one stays.
        for (int i = 0; rendering.load(); ++i) {
            engine->setProgram(i % 5);
            changes.fetch_add(1);
            // Leave the audio thread blocks to play between installations.
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });

    constexpr int BLOCKS = 1500;
    constexpr int FRAMES = 128;
    std::vector<float> left(FRAMES);
    std::vector<float> right(FRAMES);
    float* outputs[2] = {left.data(), right.data()};
    int finiteBlocks = 0;
    for (int b = 0; b < BLOCKS; ++b) {
        engine->handleMidi(0x90, static_cast<uint8_t>(40 + (b * 7) % 60), 100, b % FRAMES);
        engine->handleMidi(0x80, static_cast<uint8_t>(40 + (b * 7 + 21) % 60), 0, (b * 5) % FRAMES);
        if (b % 97 == 0) {
            engine->handleMidi(0xB0, 123, 0, 0);
        }
        engine->process(nullptr, outputs, FRAMES);
        bool finite = true;
        for (int i = 0; i < FRAMES; ++i) {
            finite = finite && std::isfinite(left[static_cast<std::size_t>(i)]) &&
                     std::isfinite(right[static_cast<std::size_t>(i)]);
        }
        finiteBlocks += finite ? 1 : 0;
        if (b == BLOCKS / 2) {
            // Make sure the two threads overlapped for a while.
            while (changes.load() < 20) {
                std::this_thread::yield();
            }
        }
    }
    rendering = false;
    programThread.join();
    EXPECT_EQ(finiteBlocks, BLOCKS);
    EXPECT_GE(changes.load(), 20);
}

} // namespace
