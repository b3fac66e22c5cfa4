#pragma once
// Test material built inside the tests: WAV files, sample packs, a private
// installation that engines find through the registry.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "samplepack.pb.h"

#include "../support/floatcompare.h"

class EventRingBuffer;
class SamplerEngine;

namespace samplertest {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Writes a canonical 16-bit stereo 44100 Hz WAV file holding `values`
// (interleaved left, right; an odd count leaves the last frame half).
void writeWave(const std::string& path, const std::vector<int16_t>& values);
// Frames whose left value is `left(k)` and right value `right(k)`.
std::vector<int16_t> frames(int count, int16_t (*left)(int), int16_t (*right)(int));
// `count` frames of one constant value in both channels.
std::vector<int16_t> constantFrames(int count, int16_t value);

// The float a WAV value decodes to.
inline float decoded(int16_t value) {
    return static_cast<float>(value) / 32767.0f;
}

// A zone record for a pack.
struct PackZone {
    int start = 0;
    int end = 127;
    int root = 60;
    std::string file;
    float attack = 0.0f, decay = 0.0f, sustain = 1.0f, release = 0.0f;
};
Kestrovalian::SamplePack makePack(const std::vector<PackZone>& zones);
void writeBytes(const std::string& path, const std::string& bytes);
void writePack(const std::string& path, const std::vector<PackZone>& zones);

// A sounds folder in a temporary installation folder.
struct Installation {
    TempDir dir;
    Installation();
    std::string sound(const std::string& name) const { return dir.file("sounds/" + name); }
    // A new engine that finds this installation, with `program` selected.
    std::unique_ptr<SamplerEngine> engine(int program = 0) const;
};
// A new engine whose registry names `installDir`; the registry is seeded
// again afterwards. No program selected.
std::unique_ptr<SamplerEngine> engineAt(const std::string& installDir);
// Renders one block through process over host content that it must replace;
// returns the left channel, then the right.
std::vector<float> render(SamplerEngine& engine, int frames);

// A tick that counts its calls and can run an action at a chosen call.
struct TickProbe {
    static int calls;
    static int actionAt; // call number (0-based) that runs action; -1 none
    static void (*action)();
    static void reset(int at = -1, void (*run)() = nullptr) {
        calls = 0;
        actionAt = at;
        action = run;
    }
    static void tick(EventRingBuffer*) {
        if (calls == actionAt && action != nullptr) {
            action();
        }
        ++calls;
    }
};

// 64-bit FNV-1a over the bit patterns of the floats.
uint64_t fingerprint(const std::vector<float>& values);

} // namespace samplertest
