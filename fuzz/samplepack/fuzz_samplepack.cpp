// Pack loading with damaged input: pack bytes and one WAV file, installed in a
// sampler and played. Input layout (short inputs take defaults):
//   byte 0     flags: 1 = put a valid zone for "s.wav" before the pack bytes,
//              2 = give the WAV bytes a valid header
//   bytes 1-4  that zone's start key, end key, root key and envelope choice
//   bytes 5-6  length n of the pack bytes (little-endian)
//   n bytes    pack bytes
//   the rest   WAV file "s.wav"
// Every rendered value must be finite.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/sampler.h"
#include "samplepack.pb.h"

namespace {

std::string g_folder;

void writeFile(const std::string& path, const uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::vector<uint8_t> waveHeader(uint32_t dataSize) {
    std::vector<uint8_t> h = {'R',  'I',  'F', 'F', 0, 0, 0,  0, 'W', 'A', 'V',  'E',  'f', 'm',
                              't',  ' ',  16,  0,   0, 0, 1,  0, 2,   0,   0x44, 0xAC, 0,   0,
                              0x10, 0xB1, 2,   0,   4, 0, 16, 0, 'd', 'a', 't',  'a'};
    for (int i = 0; i < 4; ++i) {
        h.push_back(static_cast<uint8_t>(dataSize >> (8 * i)));
    }
    return h;
}

void check(const std::vector<float>& out) {
    for (float v : out) {
        if (!std::isfinite(v) || std::fabs(v) > 64.0f) {
            std::fprintf(stderr, "rendered value out of range: %g\n", static_cast<double>(v));
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loader and the reader talk on standard output; keep libFuzzer's
    // own report (standard error) readable.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 0;
    }
    char pattern[] = "/tmp/fuzz-samplepack-XXXXXX";
    const char* made = mkdtemp(pattern);
    g_folder = made != nullptr ? made : "/tmp";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const uint8_t flags = size > 0 ? data[0] : 1;
    auto byte = [&](std::size_t i, uint8_t fallback) { return i < size ? data[i] : fallback; };
    std::size_t packLength = static_cast<std::size_t>(byte(5, 0) | (byte(6, 0) << 8));
    const std::size_t packStart = std::min<std::size_t>(size, 7);
    packLength = std::min(packLength, size - packStart);
    const std::size_t waveStart = packStart + packLength;

    std::string pack;
    if ((flags & 1) != 0) {
        Kestrovalian::SamplePack valid;
        auto* zone = valid.add_zone();
        zone->set_start_key(static_cast<int8_t>(byte(1, 0)));
        zone->set_end_key(static_cast<int8_t>(byte(2, 127)));
        zone->set_root_key(static_cast<int8_t>(byte(3, 60)));
        zone->set_filename("s.wav");
        const uint8_t env = byte(4, 0);
        if ((env & 0x80) != 0) {
            auto* adsr = zone->mutable_adsr_params();
            adsr->set_attack_time(static_cast<float>(env & 3));
            adsr->set_decay_time(static_cast<float>((env >> 2) & 3) * 10.0f);
            adsr->set_sustain_level(static_cast<float>((env >> 4) & 3) / 3.0f);
            adsr->set_release_time((env & 0x40) != 0 ? 0.0f : 50.0f);
        }
        pack = valid.SerializeAsString();
    }
    pack.append(reinterpret_cast<const char*>(data + packStart), packLength);
    writeFile(g_folder + "/p.jsfb", reinterpret_cast<const uint8_t*>(pack.data()), pack.size());

    std::vector<uint8_t> wave;
    const std::size_t waveBytes = size - waveStart;
    if ((flags & 2) != 0) {
        wave = waveHeader(static_cast<uint32_t>(waveBytes));
    }
    wave.insert(wave.end(), data + waveStart, data + size);
    writeFile(g_folder + "/s.wav", wave.data(), wave.size());

    Sampler sampler;
    sampler.loadSamplePackFile(g_folder + "/p.jsfb", g_folder);
    std::vector<float> out(2 * 700);
    const int notes[] = {
        0, 60, 127, byte(1, 0) & 0x7F, byte(3, 60) & 0x7F, (byte(3, 60) + 13) & 0x7F};
    for (const int note : notes) {
        sampler.noteOn(note);
    }
    for (const int frames : {1, 64, 700, 333}) {
        std::fill(out.begin(), out.end(), 0.0f);
        sampler.mix(out.data(), frames, nullptr, nullptr);
        check(out);
    }
    for (const int note : notes) {
        sampler.noteOff(note);
    }
    sampler.mix(out.data(), 700, nullptr, nullptr);
    check(out);
    return 0;
}
