#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "engine/synthengine.h"

namespace enginetest {

// Exact float comparison that names the first index that differs.
inline ::testing::AssertionResult floatsEqual(const std::vector<float>& expected,
                                              const std::vector<float>& actual) {
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure()
               << "sizes differ: expected " << expected.size() << ", got " << actual.size();
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const bool same =
            expected[i] == actual[i] || (std::isnan(expected[i]) && std::isnan(actual[i]));
        if (!same) {
            return ::testing::AssertionFailure()
                   << "first difference at index " << i << ": expected " << expected[i] << ", got "
                   << actual[i];
        }
    }
    return ::testing::AssertionSuccess();
}

// One engine operation as an executing event called it.
struct EngineCall {
    char kind; // 'n' note on, 'f' note off, 'b' pitch bend
    int32_t note;
    int32_t velocity;
    float amount;
    int32_t pass; // 1-based tick pass in which it ran
    bool operator==(const EngineCall& o) const {
        return kind == o.kind && note == o.note && velocity == o.velocity && amount == o.amount &&
               pass == o.pass;
    }
};

inline std::ostream& operator<<(std::ostream& os, const EngineCall& c) {
    return os << c.kind << "(" << c.note << "," << c.velocity << "," << c.amount << ")@" << c.pass;
}

// An engine that records what its events do and ticks once per frame.
class RecordingEngine final : public SynthEngine {
public:
    RecordingEngine() : SynthEngine(16, 0, 2, "Effect", "Vendor", "Product", 1) {}

    void process(float**, float**, int32_t frames) override {
        for (int32_t i = 0; i < frames; ++i) {
            tick();
        }
    }
    void noteOn(int32_t note, int32_t velocity) override {
        calls.push_back({'n', note, velocity, 0.0f, pass});
    }
    void noteOff(int32_t note) override { calls.push_back({'f', note, 0, 0.0f, pass}); }
    void pitchBend(float amount) override { calls.push_back({'b', 0, 0, amount, pass}); }

    void tick() {
        ++pass;
        eventQueueTick(m_pEventQueue);
    }

    std::vector<EngineCall> calls;
    int32_t pass = 0;
};

// Bytes of a WAV file, built field by field so that tests can break any one.
struct WaveFields {
    std::string riffId = "RIFF";
    std::string waveId = "WAVE";
    std::string fmtId = "fmt ";
    uint32_t fmtSize = 16;
    uint16_t format = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint32_t byteRate = 176400;
    uint16_t blockAlign = 4;
    uint16_t bits = 16;
    std::vector<uint8_t> fmtExtra;               // bytes after the 16 standard ones
    std::vector<std::vector<uint8_t>> preChunks; // whole chunks before "data"
    std::vector<int16_t> samples;
    int64_t dataSizeOverride = -1;          // declared size; -1 = the samples' size
    std::vector<uint8_t> dataBytesOverride; // raw body instead of samples
    std::vector<uint8_t> trailing;          // bytes after the data chunk
};

inline void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

inline void putU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void putId(std::vector<uint8_t>& out, const std::string& id) {
    out.insert(out.end(), id.begin(), id.end());
}

inline std::vector<uint8_t> chunk(const std::string& id, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    putId(out, id);
    putU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline std::vector<uint8_t> buildWave(const WaveFields& s) {
    std::vector<uint8_t> body = s.dataBytesOverride;
    if (body.empty()) {
        for (int16_t v : s.samples) {
            putU16(body, static_cast<uint16_t>(v));
        }
    }
    std::vector<uint8_t> out;
    putId(out, s.riffId);
    putU32(out, 0); // the reader ignores the RIFF size
    putId(out, s.waveId);
    putId(out, s.fmtId);
    putU32(out, s.fmtSize);
    putU16(out, s.format);
    putU16(out, s.channels);
    putU32(out, s.rate);
    putU32(out, s.byteRate);
    putU16(out, s.blockAlign);
    putU16(out, s.bits);
    out.insert(out.end(), s.fmtExtra.begin(), s.fmtExtra.end());
    for (const auto& c : s.preChunks) {
        out.insert(out.end(), c.begin(), c.end());
    }
    putId(out, "data");
    putU32(out, s.dataSizeOverride >= 0 ? static_cast<uint32_t>(s.dataSizeOverride)
                                        : static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    out.insert(out.end(), s.trailing.begin(), s.trailing.end());
    return out;
}

// A file in the test's own temporary folder, removed with the object.
class TempFile {
public:
    TempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir != nullptr ? dir : "/tmp") + "/amber-engine-test-" +
               std::to_string(static_cast<long>(::getpid())) + "-" + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f != nullptr) {
            if (!bytes.empty()) {
                std::fwrite(bytes.data(), 1, bytes.size(), f);
            }
            std::fclose(f);
        }
    }
    ~TempFile() { std::remove(path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    std::string path;
};

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace enginetest
