// Scratch space for tests: a temporary folder with the files written into
// it (WAV files built byte by byte among them), and what the code under test
// prints.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its content.
struct TempDir {
    TempDir() : m_path((std::filesystem::temp_directory_path() / "amber-XXXXXX").string()) {
        EXPECT_NE(mkdtemp(m_path.data()), nullptr) << "cannot make a temporary folder";
    }
    ~TempDir() { std::filesystem::remove_all(m_path, m_ignored); }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    std::string m_path;
    std::error_code m_ignored;
};

// A full disk shows only once the stream is flushed, so it is checked after
// the close.
inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    ASSERT_FALSE(out.fail()) << "cannot write " << path;
}

// What the file holds, empty when it cannot be read.
inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Overwrites `width` bytes at `offset` with `value`, little-endian.
inline std::string patched(std::string bytes, std::size_t offset, uint32_t value, int width = 4) {
    for (int i = 0; i < width; ++i) {
        bytes.at(offset + static_cast<std::size_t>(i)) = static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

// A WAV file of the layout the engine reads: the header (a 16-byte "fmt "
// chunk of PCM, 2 channels, 44100 Hz, 176400 bytes a second, 4 a frame, 16
// bits; the RIFF size left 0, which readers pass over), the chunks `before`, a
// data chunk of 16-bit `values`, then the bytes `after`.
inline std::string waveFile(const std::vector<int16_t>& values, const std::string& before = {},
                            const std::string& after = {}) {
    std::string file =
        std::string(
            "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0",
            36) +
        before + std::string("data\0\0\0\0", 8);
    file = patched(file, file.size() - 4, static_cast<uint32_t>(2 * values.size()));
    for (int16_t value : values) {
        file += {static_cast<char>(value), static_cast<char>(value >> 8)};
    }
    return file + after;
}

// Runs f and returns what it printed on standard output meanwhile.
template <typename F> std::string printedBy(F&& f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}
