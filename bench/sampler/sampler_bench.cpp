// The sampler's costs: rendering ten sounding voices at two block sizes
// (real-time factor and cost per voice-frame) and loading a pack next to a
// plain read of the same files.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/sampler.h"
#include "engine/samplerengine.h"
#include "platform/registry.h"
#include "samplepack.pb.h"

namespace {

constexpr int ROOT = 60;
// Five voices below their root key and five above it, by 1 to 12 semitones.
constexpr int NOTES[10] = {59, 57, 54, 51, 48, 61, 64, 67, 70, 72};

void writeWave(const std::string& path, int frames, int seed) {
    std::vector<int16_t> values(static_cast<std::size_t>(frames) * 2);
    for (int k = 0; k < frames; ++k) {
        const double t = k / 44100.0;
        const double v = 0.4 * std::sin(2 * 3.14159265358979 * (220.0 + seed) * t) +
                         0.2 * std::sin(2 * 3.14159265358979 * 331.0 * t);
        values[2 * static_cast<std::size_t>(k)] = static_cast<int16_t>(v * 32767);
        values[2 * static_cast<std::size_t>(k) + 1] = static_cast<int16_t>(-v * 32767);
    }
    const uint32_t dataSize = static_cast<uint32_t>(values.size() * 2);
    std::ofstream out(path, std::ios::binary);
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    out.write("RIFF", 4);
    put(36 + dataSize, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4);
    put(1, 2);
    put(2, 2);
    put(44100, 4);
    put(176400, 4);
    put(4, 2);
    put(16, 2);
    out.write("data", 4);
    put(dataSize, 4);
    out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(dataSize));
}

// A sounds folder with one pack of `zones` zones, each its own WAV file.
struct Installation {
    std::string root;
    std::vector<std::string> waves;

    Installation(int zones, int framesPerWave) {
        char pattern[] = "/tmp/amber-bench-XXXXXX";
        root = mkdtemp(pattern);
        std::filesystem::create_directories(root + "/sounds");
        Kestrovalian::SamplePack pack;
        for (int z = 0; z < zones; ++z) {
            const std::string name = "w" + std::to_string(z) + ".wav";
            writeWave(root + "/sounds/" + name, framesPerWave, z);
            waves.push_back(root + "/sounds/" + name);
            auto* zone = pack.add_zone();
            zone->set_start_key(z == 0 ? 0 : 128 * z / zones);
            zone->set_end_key(128 * (z + 1) / zones - 1);
            zone->set_root_key(ROOT);
            zone->set_filename(name);
            auto* adsr = zone->mutable_adsr_params();
            adsr->set_attack_time(1.0f);
            adsr->set_decay_time(20.0f);
            adsr->set_sustain_level(0.8f);
            adsr->set_release_time(50.0f);
        }
        std::ofstream out(packPath(), std::ios::binary);
        pack.SerializeToOstream(&out);
    }
    ~Installation() { std::filesystem::remove_all(root); }
    std::string packPath() const { return root + "/sounds/Our Favorites.jsfb"; }
};

// The loader and the note handling print diagnostic lines; not what is measured.
struct QuietStdout {
    QuietStdout() { std::fflush(stdout), saved = dup(1), std::freopen("/dev/null", "w", stdout); }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    int saved;
};

void BM_ProcessTenVoices(benchmark::State& state) {
    const int blockSize = static_cast<int>(state.range(0));
    QuietStdout quiet;
    Installation installation(1, 44100 * 4);
    registry_test::setString(SAMPLER_REGISTRY_KEY, SAMPLER_REGISTRY_VALUE, installation.root);
    auto engine = std::make_unique<SamplerEngine>();
    registry_test::reset();
    engine->setProgram(0);

    std::vector<float> left(static_cast<std::size_t>(blockSize));
    std::vector<float> right(static_cast<std::size_t>(blockSize));
    float* outputs[2] = {left.data(), right.data()};
    auto restart = [&] {
        engine->sampler().stopAllVoices();
        for (const int note : NOTES) {
            engine->postNoteOn(note, 100, 0);
        }
        engine->process(nullptr, outputs, blockSize); // notes start with the next block
        engine->process(nullptr, outputs, blockSize);
    };
    restart();
    int64_t frames = 0;
    for (auto _ : state) {
        // A voice ends with its sample; keep all ten sounding.
        if (!engine->sampler().voice(9).isActive()) {
            restart();
        }
        engine->process(nullptr, outputs, blockSize);
        benchmark::DoNotOptimize(left.data());
        frames += blockSize;
    }
    state.counters["realtime_factor"] =
        benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
    // Seconds per voice-frame, printed with its SI prefix (e.g. "32ns").
    state.counters["time_per_voice_frame"] =
        benchmark::Counter(static_cast<double>(frames) * 10,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProcessTenVoices)->Arg(512)->Arg(64);

void BM_LoadPack(benchmark::State& state) {
    QuietStdout quiet;
    Installation installation(8, 44100 * 6);
    Sampler sampler;
    int64_t bytes = 0;
    for (const auto& wave : installation.waves) {
        bytes += static_cast<int64_t>(std::filesystem::file_size(wave));
    }
    bytes += static_cast<int64_t>(std::filesystem::file_size(installation.packPath()));
    for (auto _ : state) {
        sampler.loadSamplePackFile(installation.packPath(), installation.root + "/sounds");
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_LoadPack)->Unit(benchmark::kMillisecond);

// The same files read whole into memory, nothing decoded: the floor under
// BM_LoadPack.
void BM_PlainReadOfThePackFiles(benchmark::State& state) {
    Installation installation(8, 44100 * 6);
    std::vector<std::string> files = installation.waves;
    files.push_back(installation.packPath());
    int64_t bytes = 0;
    for (const auto& file : files) {
        bytes += static_cast<int64_t>(std::filesystem::file_size(file));
    }
    std::vector<char> buffer;
    for (auto _ : state) {
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            buffer.resize(static_cast<std::size_t>(std::filesystem::file_size(file)));
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_PlainReadOfThePackFiles)->Unit(benchmark::kMillisecond);

} // namespace
