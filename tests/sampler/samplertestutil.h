#pragma once
// Test material built inside the tests: WAV files, sample packs, a private
// installation that engines find through the registry.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/samplerengine.h"
#include "platform/registry.h"
#include "samplepack.pb.h"

#include "../support/floatcompare.h"
#include "../support/scratch.h"

namespace samplertest {

// A canonical 16-bit stereo 44100 Hz WAV file holding `values` (interleaved
// left, right; an odd count leaves the last frame half), its RIFF size set.
inline void writeWave(const std::string& path, const std::vector<int16_t>& values) {
    writeBytes(path, patched(waveFile(values), 4, static_cast<uint32_t>(36 + 2 * values.size())));
}

// Frames whose left value is `left(k)` and right value `right(k)`.
inline std::vector<int16_t> frames(int count, int16_t (*left)(int), int16_t (*right)(int)) {
    std::vector<int16_t> values;
    for (int k = 0; k < count; ++k) {
        values.insert(values.end(), {left(k), right(k)});
    }
    return values;
}
inline std::vector<int16_t> constantFrames(int count, int16_t value) {
    return std::vector<int16_t>(static_cast<std::size_t>(count) * 2, value);
}
// The float a WAV value decodes to.
inline float decoded(int16_t value) {
    return static_cast<float>(value) / 32767.0f;
}

struct PackZone {
    int start = 0, end = 127, root = 60;
    std::string file;
    float attack = 0.0f, decay = 0.0f, sustain = 1.0f, release = 0.0f;
};
inline Kestrovalian::SamplePack makePack(const std::vector<PackZone>& zones) {
    Kestrovalian::SamplePack pack;
    for (const PackZone& row : zones) {
        auto* zone = pack.add_zone();
        zone->set_start_key(row.start), zone->set_end_key(row.end), zone->set_root_key(row.root);
        zone->set_filename(row.file);
        auto* adsr = zone->mutable_adsr_params();
        adsr->set_attack_time(row.attack), adsr->set_decay_time(row.decay);
        adsr->set_sustain_level(row.sustain), adsr->set_release_time(row.release);
    }
    return pack;
}
inline void writePack(const std::string& path, const std::vector<PackZone>& zones) {
    writeBytes(path, makePack(zones).SerializeAsString());
}

// A new engine whose registry names `installDir`, the registry seeded again
// afterwards; no program selected.
inline std::unique_ptr<SamplerEngine> engineAt(const std::string& installDir) {
    registry_test::setString(SAMPLER_REGISTRY_KEY, SAMPLER_REGISTRY_VALUE, installDir);
    auto engine = std::make_unique<SamplerEngine>();
    registry_test::reset();
    return engine;
}

// A sounds folder in a temporary installation folder.
struct Installation {
    TempDir dir;
    Installation() { std::filesystem::create_directories(dir.file("sounds")); }
    std::string sound(const std::string& name) const { return dir.file("sounds/" + name); }
    std::unique_ptr<SamplerEngine> engine(int program = 0) const {
        auto engine = engineAt(dir.path());
        engine->setProgram(program);
        return engine;
    }
};

// Renders one block through process over host content that it must replace;
// returns the left channel, then the right.
inline std::vector<float> render(SamplerEngine& engine, int frames) {
    std::vector<float> out(2 * static_cast<std::size_t>(frames), 7.0f);
    float* outputs[2] = {out.data(), out.data() + frames};
    engine.process(nullptr, outputs, frames);
    return out;
}

// A tick that counts its calls and runs `action` at call `actionAt` (0-based).
struct TickProbe {
    static inline int calls = 0, actionAt = -1;
    static inline void (*action)() = nullptr;
    static void reset(int at = -1, void (*f)() = nullptr) { calls = 0, actionAt = at, action = f; }
    static void tick(EventRingBuffer*) { calls++ == actionAt&& action ? action() : void(); }
};

// 64-bit FNV-1a over the bytes of the floats (little-endian, as every
// machine we build for).
inline uint64_t fingerprint(const std::vector<float>& values) {
    uint64_t hash = 1469598103934665603ull;
    const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
    for (std::size_t i = 0; i < values.size() * sizeof(float); ++i) {
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return hash;
}

} // namespace samplertest
