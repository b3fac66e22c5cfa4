#include "engine/wavereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t BUFFER_ALIGNMENT = 16;

// 16-byte aligned storage of at least `bytes` (and at least 16) bytes; null
// when memory runs out.
void* allocateAligned(std::size_t bytes) {
    const std::size_t rounded =
        (bytes + BUFFER_ALIGNMENT - 1) / BUFFER_ALIGNMENT * BUFFER_ALIGNMENT;
    return std::aligned_alloc(BUFFER_ALIGNMENT, rounded > 0 ? rounded : BUFFER_ALIGNMENT);
}

uint32_t readU32(const unsigned char* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

uint16_t readU16(const unsigned char* p) {
    return static_cast<uint16_t>(uint16_t{p[0]} | (uint16_t{p[1]} << 8));
}

bool hasId(const unsigned char* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// The one layout the engine plays.
constexpr uint32_t FMT_CHUNK_SIZE = 16;
constexpr uint16_t FORMAT_PCM = 1;
constexpr uint16_t CHANNELS = 2;
constexpr uint32_t SAMPLE_RATE = 44100;
constexpr uint16_t BITS_PER_SAMPLE = 16;
constexpr uint16_t BLOCK_ALIGN = CHANNELS * BITS_PER_SAMPLE / 8;
constexpr uint32_t BYTE_RATE = SAMPLE_RATE * BLOCK_ALIGN;

// Why a header is refused, or null when it is of the accepted layout.
const char* checkFormatChunk(const unsigned char* fmt) {
    if (!hasId(fmt, "fmt ")) {
        return "no \"fmt \" chunk after the RIFF header";
    }
    if (readU32(fmt + 4) != FMT_CHUNK_SIZE) {
        return "\"fmt \" chunk is not 16 bytes";
    }
    if (readU16(fmt + 8) != FORMAT_PCM) {
        return "not PCM";
    }
    if (readU16(fmt + 10) != CHANNELS) {
        return "not 2 channels";
    }
    if (readU32(fmt + 12) != SAMPLE_RATE) {
        return "not 44100 Hz";
    }
    if (readU32(fmt + 16) != BYTE_RATE) {
        return "byte rate is not 176400";
    }
    if (readU16(fmt + 20) != BLOCK_ALIGN) {
        return "block align is not 4";
    }
    if (readU16(fmt + 22) != BITS_PER_SAMPLE) {
        return "not 16 bits";
    }
    return nullptr;
}

int32_t refuse(std::FILE* errorLog, const std::string& name, const char* reason) {
    if (errorLog != nullptr) {
        std::fprintf(errorLog, "Unsupported sample: %s (%s)\n", name.c_str(), reason);
    }
    return WAVE_READ_UNSUPPORTED;
}

// Bytes from the current position to the end, or -1 when the stream cannot say.
long bytesLeft(std::FILE* file) {
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        return -1;
    }
    const long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0) {
        return -1;
    }
    return end >= here ? end - here : -1;
}

} // namespace

int32_t readWaveStream(std::FILE* file, const std::string& name, float** data, int32_t* count,
                       uint32_t maxDataBytes, std::FILE* log, std::FILE* errorLog) {
    *data = nullptr;
    *count = 0;

    unsigned char riff[12];
    unsigned char fmt[24];
    unsigned char chunk[8];
    if (std::fread(riff, 1, sizeof riff, file) != sizeof riff ||
        std::fread(fmt, 1, sizeof fmt, file) != sizeof fmt ||
        std::fread(chunk, 1, sizeof chunk, file) != sizeof chunk) {
        return refuse(errorLog, name, "header cut short");
    }
    if (!hasId(riff, "RIFF") || !hasId(riff + 8, "WAVE")) {
        return refuse(errorLog, name, "not a RIFF/WAVE file");
    }
    if (const char* reason = checkFormatChunk(fmt)) {
        return refuse(errorLog, name, reason);
    }
    if (hasId(chunk, "cue ")) {
        if (std::fseek(file, static_cast<long>(readU32(chunk + 4)), SEEK_CUR) != 0 ||
            std::fread(chunk, 1, sizeof chunk, file) != sizeof chunk) {
            return refuse(errorLog, name, "header cut short");
        }
    }
    if (!hasId(chunk, "data")) {
        return refuse(errorLog, name, "a chunk other than one \"cue \" before \"data\"");
    }
    const uint32_t dataSize = readU32(chunk + 4);
    if (dataSize >= maxDataBytes || dataSize >= WAVE_MAX_DATA_BYTES) {
        return refuse(errorLog, name, "data chunk too large");
    }

    if (log != nullptr) {
        std::fprintf(log, "Number of samples in WAVE: %u\n", dataSize / (BITS_PER_SAMPLE / 8));
    }

    // One byte more than the chunk, as the progress line reports; but never
    // more than the file still holds: a chunk size that overstates the file
    // must not cost memory (nor time, under the sampler's lock) for bytes
    // that cannot arrive, so the sample is as long as the data present.
    const std::size_t wanted = std::size_t{dataSize} + 1;
    const long left = bytesLeft(file);
    const std::size_t held = std::min(left > 0 ? static_cast<std::size_t>(left) : 0, wanted);
    const uint32_t numSamples =
        static_cast<uint32_t>(std::min<std::size_t>(held, dataSize) / (BITS_PER_SAMPLE / 8));
    auto* bytes = static_cast<unsigned char*>(allocateAligned(held));
    auto* floats = static_cast<float*>(allocateAligned(std::size_t{numSamples} * sizeof(float)));
    if (bytes == nullptr || floats == nullptr) {
        std::free(bytes);
        std::free(floats);
        return refuse(errorLog, name, "out of memory");
    }
    if (log != nullptr) {
        std::fprintf(log, "reading %zu bytes from %p\n", wanted, static_cast<void*>(bytes));
    }
    const std::size_t bytesRead = std::fread(bytes, 1, held, file);
    if (log != nullptr) {
        std::fprintf(log, "Bytes read: %zu= # of samples: %zuerror code: %d\n", bytesRead,
                     bytesRead / 2, std::ferror(file));
    }

    // Bytes that a file shrunk meanwhile did not deliver count as zeros.
    for (uint32_t i = 0; i < numSamples; ++i) {
        const std::size_t at = std::size_t{i} * 2;
        const unsigned lo = at < bytesRead ? bytes[at] : 0u;
        const unsigned hi = at + 1 < bytesRead ? bytes[at + 1] : 0u;
        const auto value = static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
        floats[i] = static_cast<float>(value) / 32767.0f;
    }

    if (log != nullptr) {
        std::fprintf(log, "freeing %p\n", static_cast<void*>(bytes));
    }
    std::free(bytes);
    *data = floats;
    *count = static_cast<int32_t>(numSamples);
    return WAVE_READ_OK;
}

int32_t refuseToOpenWave(const std::string& path, float** data, int32_t* count) {
    std::fprintf(stderr, "Failed to open sample: %s\n", path.c_str());
    *data = nullptr;
    *count = 0;
    return WAVE_READ_CANNOT_OPEN;
}

int openRegularFile(const std::string& path) {
    // Non-blocking, so that a FIFO without a writer cannot hold the open; no
    // controlling terminal, so that a terminal linked in among the sounds
    // cannot become the host's before the check below refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int32_t readWaveFile(const std::string& path, float** data, int32_t* count) {
    const int fd = openRegularFile(path);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (file == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return refuseToOpenWave(path, data, count);
    }
    const int32_t result =
        readWaveStream(file, path, data, count, WAVE_MAX_DATA_BYTES, stdout, stderr);
    std::fclose(file);
    return result;
}

void freeWaveData(float* data) {
    std::free(data);
}
