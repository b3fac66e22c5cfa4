// Feeds arbitrary bytes to the WAV reader as if they were a file. Whatever
// the bytes, the reader must either refuse (no data, count 0) or hand out an
// aligned buffer of exactly `count` finite values within the 16-bit range.
//
// Inputs whose first byte is odd are the file as they are. The others are
// laid over a valid file: their next 44 bytes are XORed onto a correct header
// whose data size is the length of the rest, which follows as the body. So
// an input of zeros is a valid file, and single mutations reach every
// neighbouring layout at once instead of after the fuzzer has guessed a
// whole header.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/wavereader.h"

namespace {

// Bounds what a claimed data size may cost, so that a 44-byte input that
// claims a huge chunk does not exhaust the fuzzer's memory; the refusal of
// too large chunks is exercised all the same.
constexpr uint32_t FUZZ_MAX_DATA_BYTES = 256u << 10;

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

constexpr unsigned char VALID_HEADER[44] = {
    'R', 'I', 'F', 'F', 0,  0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
    ' ', 16,  0,   0,   0,  1, 0,   2,   0,   0x44, 0xAC, 0,   0,   0x10, 0xB1,
    2,   0,   4,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};

std::vector<uint8_t> overValidFile(const uint8_t* bytes, std::size_t size) {
    const std::size_t patch = size < sizeof VALID_HEADER ? size : sizeof VALID_HEADER;
    const std::size_t body = size - patch;
    std::vector<uint8_t> file(VALID_HEADER, VALID_HEADER + sizeof VALID_HEADER);
    for (int i = 0; i < 4; ++i) {
        file[40 + static_cast<std::size_t>(i)] = static_cast<uint8_t>(body >> (8 * i));
    }
    for (std::size_t i = 0; i < patch; ++i) {
        file[i] ^= bytes[i];
    }
    file.insert(file.end(), bytes + patch, bytes + size);
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    std::vector<uint8_t> laid;
    if (size > 0 && (bytes[0] & 1) == 0) {
        laid = overValidFile(bytes + 1, size - 1);
        bytes = laid.data();
        size = laid.size();
    }
    // fmemopen cannot open an empty buffer; an empty file reads the same.
    std::FILE* file = size > 0 ? fmemopen(const_cast<uint8_t*>(bytes), size, "rb")
                               : std::fopen("/dev/null", "rb");
    if (file == nullptr) {
        return 0;
    }
    float* data = nullptr;
    int32_t count = -1;
    const int32_t result =
        readWaveStream(file, "fuzz", &data, &count, FUZZ_MAX_DATA_BYTES, nullptr, nullptr);
    std::fclose(file);

    if (result != WAVE_READ_OK) {
        check(result == WAVE_READ_UNSUPPORTED && data == nullptr && count == 0);
        return 0;
    }
    check(data != nullptr && count >= 0);
    check(reinterpret_cast<std::uintptr_t>(data) % 16 == 0);
    const float lowest = -32768.0f / 32767.0f;
    for (int32_t i = 0; i < count; ++i) {
        check(std::isfinite(data[i]) && data[i] >= lowest && data[i] <= 1.0f);
    }
    freeWaveData(data);
    return 0;
}
