// The factory sound set generator, run as the build runs it, into a
// temporary folder: whatever stops it, the folder holds only whole files.
#include "samplepack.pb.h"

#include "../support/command.h"
#include "../support/scratch.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What the folder holds that a reader would take for a sound it is not:
// leftover temporary files, WAV files whose header claims another length
// than they hold, packs naming a WAV file that is not there. Empty when all
// is well; the number of packs in `packs`.
std::vector<std::string> problemsIn(const std::string& folder, int& packs) {
    std::vector<std::string> problems;
    std::set<std::string> wholeWaves;
    std::vector<fs::path> packPaths;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.front() == '.') {
            problems.push_back(name + " left behind");
        } else if (entry.path().extension() == ".jsfb") {
            packPaths.push_back(entry.path());
        } else {
            std::ifstream in(entry.path(), std::ios::binary);
            unsigned char header[44] = {};
            in.read(reinterpret_cast<char*>(header), sizeof header);
            const auto claimed = 44u + (header[40] | header[41] << 8 | header[42] << 16 |
                                        static_cast<uint32_t>(header[43]) << 24);
            if (fs::file_size(entry.path()) == claimed)
                wholeWaves.insert(name);
            else
                problems.push_back(name + " holds " + std::to_string(fs::file_size(entry.path())) +
                                   " bytes, its header claims " + std::to_string(claimed));
        }
    }
    for (const fs::path& path : packPaths) {
        Kestrovalian::SamplePack pack;
        std::ifstream in(path, std::ios::binary);
        if (!pack.ParseFromIstream(&in) || pack.zone_size() == 0)
            problems.push_back(path.filename().string() + " is no pack");
        for (const auto& zone : pack.zone())
            if (wholeWaves.count(zone.filename()) == 0)
                problems.push_back(path.filename().string() + " names " + zone.filename() +
                                   ", not there whole");
    }
    packs = static_cast<int>(packPaths.size());
    return problems;
}

// The name of a file written in place in the watched folder, if any: a
// reader, or a run stopped meanwhile, may find such a file cut short.
std::string writtenInPlace(int watch) {
    alignas(inotify_event) char buffer[65536];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->mask & IN_Q_OVERFLOW || (event->len > 0 && event->name[0] != '.'))
                return event->len > 0 ? event->name : "(events lost)";
            at += sizeof(inotify_event) + event->len;
        }
    }
    return "";
}

} // namespace

// Under a file-size limit the drum samples fit and the longer ones do not: a
// drum kit then has some of its WAV files and no pack.
TEST(SoundSet, AFailedWriteLeavesNoFileCutShortAndNoPackWithoutItsSamples) {
    TempDir dir;
    const std::string folder = dir.file("sounds");
    const CommandResult ran = runCommand({AMBER_SOUNDSET_PATH, folder}, {20, 1L << 30, 100000});
    EXPECT_EQ(ran.status, 1) << ran.output;
    EXPECT_EQ(ran.output.rfind("amber_soundset: cannot write " + folder + "/", 0), 0u)
        << ran.output;
    EXPECT_NE(ran.output.find(".wav: File too large\n"), std::string::npos) << ran.output;
    int packs = 0;
    EXPECT_EQ(problemsIn(folder, packs), std::vector<std::string>());
}

// Two builds of one build folder at once: one generator finishes while the
// other, started a little later, is stopped part-way, as a build is, with
// its eight workers writing. No file
// is written in place, so none is ever seen cut short.
TEST(SoundSet, AGeneratorStoppedBesideAnotherLeavesEveryFileWhole) {
    TempDir dir;
    const std::string folder = dir.file("sounds");
    ASSERT_TRUE(fs::create_directory(folder));
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_MODIFY), 0);
    // The second starts about 100 ms after the first, and is stopped 150 ms later.
    pid_t second = -1;
    int ticks = 0;
    const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const CommandResult first = runCommand({AMBER_SOUNDSET_PATH, folder}, {}, -1, [&](pid_t) {
        if (++ticks == 100)
            second = startCommand({AMBER_SOUNDSET_PATH, folder}, quiet);
        if (ticks == 250 && second > 0)
            kill(second, SIGTERM);
    });
    int status = 0;
    ASSERT_GT(second, 0) << "the first was done before the second started";
    waitpid(second, &status, 0);
    ::close(quiet);

    EXPECT_EQ(first.status, 0) << first.output;
    const bool stopped = WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
    EXPECT_TRUE(stopped || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;
    int packs = 0;
    EXPECT_EQ(problemsIn(folder, packs), std::vector<std::string>());
    int promised = -1;
    std::sscanf(first.output.c_str(), "amber_soundset: %d packs", &promised);
    EXPECT_EQ(packs, promised) << first.output;
    EXPECT_EQ(writtenInPlace(watch), "");
    close(watch);
}
