// One thread renders blocks with notes while two others change programs, as
// a host's audio thread, its automation thread and the editor do. Run under
// ThreadSanitizer: no race may be reported, nothing may crash, and every
// block must be finite.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/samplerengine.h"
#include "samplertestutil.h"

using namespace samplertest;

namespace {

TEST(SamplerConcurrency, ProgramChangesWhileRendering) {
    Installation installation;
    const char* names[] = {"Our Favorites", "-= DRUMS =-", "Kicks", "Snares"};
    for (int value = 3000; value <= 12000; value += 3000) {
        const std::string wave = "w" + std::to_string(value) + ".wav";
        writeWave(installation.sound(wave), constantFrames(400 + value / 10, value));
        writePack(installation.sound(std::string(names[value / 3000 - 1]) + ".jsfb"),
                  {{0, 63, 60, wave, 0.5f, 5.0f, 0.7f, 3.0f}, {64, 127, 70, wave}});
    }
    auto engine = installation.engine();

    std::atomic<bool> rendering{true};
    std::atomic<int> changes{0};
    const auto changePrograms = [&](int first) {
        // Index 4 ("Drum Kit 1") has no pack: the previous one stays.
        for (int i = first; rendering.load(); ++i) {
            engine->setProgram(i % 5);
            ++changes;
            // Leave the audio thread blocks to play between installations.
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    };
    std::thread first(changePrograms, 0), second(changePrograms, 2);
    for (int b = 0; b < 1500; ++b) {
        engine->handleMidi(0x90, 40 + (b * 7) % 60, 100, b % 128);
        engine->handleMidi(0x80, 40 + (b * 7 + 21) % 60, 0, (b * 5) % 128);
        if (b % 97 == 0) {
            engine->handleMidi(0xB0, 123, 0, 0);
        }
        EXPECT_TRUE(allFinite(render(*engine, 128))) << "block " << b;
        // Make sure the two threads overlapped for a while.
        while (b == 750 && changes.load() < 20) {
            std::this_thread::yield();
        }
    }
    rendering = false;
    first.join();
    second.join();
}

// The host and the editor change programs at the same moment, round after
// round: whichever program ends up current, a note must sound its pack.
TEST(SamplerConcurrency, SimultaneousChangesLeaveTheCurrentProgramsPack) {
    Installation installation;
    auto engine = installation.engine();
    const int drums = 4, bass = 39; // "Drum Kit 1", "Bass-02"
    for (int index : {drums, bass}) {
        const std::string wave = std::to_string(index) + ".wav";
        writeWave(installation.sound(wave), constantFrames(64, int16_t(index * 100)));
        writePack(installation.sound(engine->m_programs[index].m_name + ".jsfb"),
                  {{0, 127, 60, wave}});
    }
    int wrong = 0;
    for (int round = 0; round < 2000; ++round) {
        std::atomic<bool> go{false};
        const auto change = [&](int index) {
            while (!go.load()) {
            }
            engine->setProgram(index);
        };
        std::thread first(change, round % 2 ? drums : bass),
            second(change, round % 2 ? bass : drums);
        go = true;
        first.join(), second.join();
        const bool current = engine->getCurrentProgram() == &engine->m_programs[drums];
        engine->handleMidi(0x90, 60, 100, 0);
        // The note starts with the next block; its first frame still leans
        // on the previous note's sample, the second is its own.
        render(*engine, 1);
        wrong += (render(*engine, 2)[1] < decoded(2000)) != current;
    }
    EXPECT_EQ(wrong, 0) << "of 2000 rounds";
}

} // namespace
