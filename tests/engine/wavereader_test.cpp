#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "../support/finishesintime.h"
#include "../support/floatcompare.h"
#include "../support/scratch.h"
#include "engine/samplerzone.h"
#include "engine/wavereader.h"

namespace {

using Bytes = std::string;

// A "cue " chunk of `size` bytes.
Bytes cue(uint32_t size) {
    return patched(Bytes("cue \0\0\0\0", 8) + Bytes(size, 7), 4, size);
}

struct Loaded {
    int32_t result = -1;
    std::vector<float> floats;
    std::string out, err;
};

// Reads `path`, written with `bytes` first unless null, checking what every
// result promises of the buffer.
Loaded load(const std::string& path, const Bytes* bytes = nullptr) {
    if (bytes != nullptr) {
        writeBytes(path, *bytes);
    }
    float* data = reinterpret_cast<float*>(1);
    int32_t count = -1;
    Loaded loaded;
    ::testing::internal::CaptureStderr();
    loaded.out = printedBy([&] { loaded.result = readWaveFile(path, &data, &count); });
    loaded.err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % 16, 0u);
    EXPECT_EQ(data == nullptr, loaded.result != WAVE_READ_OK);
    loaded.floats.assign(data, data + (data != nullptr ? count : 0));
    EXPECT_EQ(count, static_cast<int32_t>(loaded.floats.size()));
    freeWaveData(data);
    return loaded;
}

// Each value divided by 32767 in single precision, rounded once. The data
// size and the bytes read (one more than the data when the file has it) in
// the progress lines; the buffer freed is the one read into. A "cue "
// chunk is passed over.
TEST(WaveReader, AcceptedFiles) {
    const TempDir dir;
    const std::vector<int16_t> twenty(20, 3);
    // The data size, the bytes read, the file and the floats it holds.
    const std::tuple<uint32_t, uint32_t, Bytes, std::vector<float>> cases[] = {
        // clang-format off
        {12, 13, waveFile({0, 1, -1, 32767, -32768, 12345}, cue(28), {1, 2}),
         {0.0f, 0x1.0002p-15f, -0x1.0002p-15f, 1.0f, -0x1.0002p+0f, 0x1.81cb04p-2f}},
        {5, 6, patched(waveFile({1, 2, 9}), 40, 5), {0x1.0002p-15f, 0x1.0002p-14f}}, // a byte after the last value
        // A claim beyond the file is cut to what it holds, whole values only.
        {0x7FFFFFFF, 41, patched(waveFile(twenty, {}, {1}), 40, 0x7FFFFFFF),
         std::vector<float>(20, 0x1.8003p-14f)},
        // clang-format on
    };
    for (const auto& [dataSize, bytesRead, file, floats] : cases) {
        const Loaded loaded = load(dir.file("wave.wav"), &file);
        ASSERT_EQ(loaded.result, WAVE_READ_OK) << loaded.err;
        EXPECT_TRUE(samplesEqual(floats, loaded.floats));
        const std::string lines =
            "Number of samples in WAVE: " + std::to_string(dataSize / 2) + "\nreading " +
            std::to_string(dataSize + 1u) +
            " bytes from (0x[0-9a-f]+)\nBytes read: " + std::to_string(bytesRead) +
            "= # of samples: " + std::to_string(bytesRead / 2) + "error code: 0\nfreeing \\1\n";
        EXPECT_TRUE(std::regex_match(loaded.out, std::regex(lines))) << loaded.out;
        EXPECT_EQ(loaded.err, "");
    }
}

TEST(WaveReader, OtherLayoutsAreRefused) {
    const Bytes good = waveFile({1, 2, 3, 4});
    // Each header field made wrong in turn, then chunks out of place and
    // files cut short.
    std::vector<Bytes> refused = {waveFile({1}, cue(0) + cue(0)), "",
                                  waveFile({1}, patched(cue(0), 4, 0xFFFF)), good.substr(0, 43)};
    const uint32_t fields[][3] = {{3, 'X', 1}, {12, 'j', 1},        {16, 18, 4}, {20, 3, 2},
                                  {22, 1, 2},  {24, 48000, 4},      {28, 1, 4},  {32, 2, 2},
                                  {34, 24, 2}, {40, 0x80000000u, 4}};
    for (const auto& f : fields) {
        refused.push_back(patched(good, f[0], f[1], static_cast<int>(f[2])));
    }
    const TempDir dir;
    const std::string prefix = "Unsupported sample: " + dir.file("wave.wav") + " (";
    for (const Bytes& file : refused) {
        SCOPED_TRACE(&file - refused.data());
        const Loaded loaded = load(dir.file("wave.wav"), &file);
        EXPECT_EQ(std::tuple(loaded.result, loaded.out, loaded.err.substr(0, prefix.size()),
                             loaded.err.back()),
                  std::tuple(WAVE_READ_UNSUPPORTED, "", prefix, '\n'));
    }
}

// Only regular files are read, symbolic links to them included: a folder, a
// device or a FIFO (which would block the loader until a writer came) is a
// file that cannot be opened, and so is a file that is missing. A sample says
// on standard output whether it loaded, and one that did not holds no data;
// one set in place of a zone's own frees that.
TEST(WaveReader, OnlyRegularFilesOpenAndSamplesSayWhetherTheyLoaded) {
    const TempDir dir;
    const std::string folder = dir.file("folder.wav"), fifo = dir.file("fifo.wav");
    const std::string real = dir.file("real.wav"), link = dir.file("link.wav"),
                      none = dir.file("none");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeBytes(real, waveFile({1, 2, 3, 4}));
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    for (const std::string& path : {folder, fifo, std::string("/dev/zero"), none, link}) {
        Loaded loaded;
        EXPECT_TRUE(finishesInTime([&] { loaded = load(path); }, fifo)) << path;
        EXPECT_EQ(std::pair(loaded.result, loaded.err),
                  path == link
                      ? std::pair(WAVE_READ_OK, std::string())
                      : std::pair(WAVE_READ_CANNOT_OPEN, "Failed to open sample: " + path + "\n"));
    }
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    SamplerZone zone(0, 127, 0, 127, 60, link);
    zone.setSample(new Sample(none));
    const std::string out = ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.substr(out.rfind("Loaded")),
              "Loaded sample " + link + " with length 4\nFailed to load " + none + "\n");
    EXPECT_EQ(
        std::tuple(zone.m_pSample->m_pData, zone.m_pSample->numSamples(), SamplerZone().m_pSample),
        std::tuple(nullptr, 0, nullptr));
}

// Refusing a terminal among the sounds comes too late if opening it already
// made it the controlling terminal of a host that had none (a session
// leader, as a daemon is): the terminal's hang-up would then end the host.
TEST(WaveReader, ATerminalNeverBecomesTheControllingTerminal) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        GTEST_SKIP() << "no pseudo-terminal";
    }
    const std::string terminal = ::ptsname(master);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const bool refused = openRegularFile(terminal) == -1;
        _exit(refused && ::open("/dev/tty", O_RDONLY | O_NOCTTY) < 0 ? 0 : 1); // no terminal
    }
    int status = -1;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    ::close(master);
}

} // namespace
