#include "samplertestutil.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/samplerengine.h"
#include "platform/registry.h"

namespace samplertest {

int TickProbe::calls = 0;
int TickProbe::actionAt = -1;
void (*TickProbe::action)() = nullptr;

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "amber-sampler-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder";
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void writeWave(const std::string& path, const std::vector<int16_t>& values) {
    std::string bytes;
    auto put = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    const auto dataSize = static_cast<uint32_t>(values.size() * 2);
    bytes += "RIFF";
    put(36 + dataSize, 4);
    // Format chunk: size, PCM, channels, rate, bytes per second, per frame,
    // bits; then the data chunk's size.
    bytes += "WAVEfmt ";
    put(16, 4), put(1, 2), put(2, 2), put(44100, 4), put(176400, 4), put(4, 2), put(16, 2);
    bytes += "data";
    put(dataSize, 4);
    for (int16_t v : values) {
        put(static_cast<uint16_t>(v), 2);
    }
    writeBytes(path, bytes);
}

std::vector<int16_t> frames(int count, int16_t (*left)(int), int16_t (*right)(int)) {
    std::vector<int16_t> values;
    for (int k = 0; k < count; ++k) {
        values.push_back(left(k));
        values.push_back(right(k));
    }
    return values;
}

std::vector<int16_t> constantFrames(int count, int16_t value) {
    return std::vector<int16_t>(static_cast<std::size_t>(count) * 2, value);
}

Kestrovalian::SamplePack makePack(const std::vector<PackZone>& zones) {
    Kestrovalian::SamplePack pack;
    for (const PackZone& row : zones) {
        auto* zone = pack.add_zone();
        zone->set_start_key(row.start);
        zone->set_end_key(row.end);
        zone->set_root_key(row.root);
        zone->set_filename(row.file);
        auto* adsr = zone->mutable_adsr_params();
        adsr->set_attack_time(row.attack);
        adsr->set_decay_time(row.decay);
        adsr->set_sustain_level(row.sustain);
        adsr->set_release_time(row.release);
    }
    return pack;
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void writePack(const std::string& path, const std::vector<PackZone>& zones) {
    writeBytes(path, makePack(zones).SerializeAsString());
}

Installation::Installation() {
    std::filesystem::create_directories(dir.file("sounds"));
}

std::unique_ptr<SamplerEngine> Installation::engine(int program) const {
    auto engine = engineAt(dir.path());
    engine->setProgram(program);
    return engine;
}

std::unique_ptr<SamplerEngine> engineAt(const std::string& installDir) {
    registry_test::setString(SAMPLER_REGISTRY_KEY, SAMPLER_REGISTRY_VALUE, installDir);
    auto engine = std::make_unique<SamplerEngine>();
    registry_test::reset();
    return engine;
}

std::vector<float> render(SamplerEngine& engine, int frames) {
    std::vector<float> left(static_cast<std::size_t>(frames), 7.0f);
    std::vector<float> right(static_cast<std::size_t>(frames), -7.0f);
    float* outputs[2] = {left.data(), right.data()};
    engine.process(nullptr, outputs, frames);
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

uint64_t fingerprint(const std::vector<float>& values) {
    uint64_t hash = 1469598103934665603ull;
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int i = 0; i < 4; ++i) {
            hash ^= (bits >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

} // namespace samplertest
