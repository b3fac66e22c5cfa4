#include "outputfile.h"

#include "../support/scratch.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a run left beside its targets that it should not have: hidden
// temporary files.
std::vector<std::string> leftovers(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            found.push_back(entry.path().string());
    return found;
}

mode_t modeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode;
}

} // namespace

TEST(OutputFile, ReplacesWholeFilesAndWritesDevicesInPlace) {
    const std::string bytes(100000, 'n');
    struct Row {
        const char* what;
        // Makes the target in the folder and returns the path to name.
        std::function<std::string(const TempDir&)> make;
        std::string error; // empty when the write succeeds
        // Checks what the folder holds afterwards.
        std::function<void(const TempDir&)> check;
    };
    const auto holdsNew = [&](const char* name) {
        return
            [&, name](const TempDir& dir) { EXPECT_EQ(contents(dir.file(name)), bytes) << name; };
    };
    const Row rows[] = {
        {"a missing file", [](const TempDir& d) { return d.file("new file.wav"); }, "",
         [&](const TempDir& d) {
             holdsNew("new file.wav")(d);
             const mode_t mask = umask(0);
             umask(mask);
             EXPECT_EQ(modeOf(d.file("new file.wav")) & 0777, 0666 & ~mask);
         }},
        {"an existing file keeps its permissions",
         [](const TempDir& d) {
             writeBytes(d.file("song.wav"), "old take");
             chmod(d.file("song.wav").c_str(), 0640);
             return d.file("song.wav");
         },
         "",
         [&](const TempDir& d) {
             holdsNew("song.wav")(d);
             EXPECT_EQ(modeOf(d.file("song.wav")) & 0777, 0640u);
         }},
        {"a chain of relative links",
         [](const TempDir& d) {
             fs::create_directory(d.file("takes"));
             writeBytes(d.file("takes/song.wav"), "old take");
             fs::create_symlink("takes/song.wav", d.file("middle"));
             fs::create_symlink("middle", d.file("out.wav"));
             return d.file("out.wav");
         },
         "",
         [&](const TempDir& d) {
             holdsNew("takes/song.wav")(d);
             EXPECT_TRUE(fs::is_symlink(d.file("out.wav")) && fs::is_symlink(d.file("middle")));
             EXPECT_TRUE(leftovers(d.file("takes")).empty());
         }},
        {"a link to a file not made yet",
         [](const TempDir& d) {
             fs::create_symlink("later.wav", d.file("out.wav"));
             return d.file("out.wav");
         },
         "", holdsNew("later.wav")},
        {"/dev/null", [](const TempDir&) { return std::string("/dev/null"); }, "",
         [](const TempDir&) { EXPECT_TRUE(fs::is_character_file("/dev/null")); }},
        {"/dev/full", [](const TempDir&) { return std::string("/dev/full"); },
         "cannot write /dev/full: No space left on device",
         [](const TempDir&) { EXPECT_TRUE(fs::is_character_file("/dev/full")); }},
        {"a folder",
         [](const TempDir& d) {
             fs::create_directory(d.file("takes"));
             return d.file("takes");
         },
         ": Is a directory",
         [](const TempDir& d) { EXPECT_TRUE(fs::is_directory(d.file("takes"))); }},
        {"a file in a missing folder", [](const TempDir& d) { return d.file("none/song.wav"); },
         "none: No such file or directory",
         [](const TempDir& d) { EXPECT_FALSE(fs::exists(d.file("none"))); }},
        {"a link that loops",
         [](const TempDir& d) {
             fs::create_symlink("b", d.file("a"));
             fs::create_symlink("a", d.file("b"));
             return d.file("a");
         },
         "Too many levels of symbolic links", [](const TempDir&) {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string path = row.make(dir);
        std::string error;
        const bool written = OutputFile::writeWhole(path, bytes, error);
        EXPECT_EQ(written, row.error.empty()) << error;
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
        row.check(dir);
        EXPECT_TRUE(leftovers(dir.path()).empty());
    }
}

TEST(OutputFile, WritesPipesAndInheritedDescriptorsInPlace) {
    TempDir dir;
    const std::string fifo = dir.file("a pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = contents(fifo); });
    std::string error;
    EXPECT_TRUE(OutputFile::writeWhole(fifo, "through the pipe", error)) << error;
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A log the user appends to (`>> results.log`) is appended to, not emptied.
    const std::string log = dir.file("results.log");
    writeBytes(log, "earlier runs\n");
    const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    for (const std::string& path :
         {"/dev/fd/" + std::to_string(fd), "/proc/self/fd/" + std::to_string(fd)})
        EXPECT_TRUE(OutputFile::writeWhole(path, "this run\n", error)) << error;
    ::close(fd);
    EXPECT_EQ(contents(log), "earlier runs\nthis run\nthis run\n");
    EXPECT_FALSE(OutputFile::writeWhole("/dev/fd/999", "x", error));
    EXPECT_EQ(error, "cannot write /dev/fd/999: Bad file descriptor");
}

// A run that ends part-way, in a child process: a file-size limit, or a
// signal from outside while the file is being written.
TEST(OutputFile, AnUnfinishedRunLeavesTheOldFileAndNoTemporaryFile) {
    struct Row {
        const char* what;
        int signal; // raised mid-write; 0 for none
        rlim_t fileBytes;
        int status;       // the child's exit status, or 128 + its signal
        const char* line; // what it printed
    };
    const Row rows[] = {
        {"a file-size limit", 0, 4096, 1, "cannot write "},
        {"SIGTERM", SIGTERM, RLIM_INFINITY, 128 + SIGTERM, ": stopped by SIGTERM: "},
        {"SIGINT", SIGINT, RLIM_INFINITY, 128 + SIGINT, ": stopped by SIGINT: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string target = dir.file("song.wav");
        writeBytes(target, "the earlier take");
        const std::string log =
            dir.path() + "/../" + fs::path(dir.path()).filename().string() + ".log";
        const pid_t child = fork();
        if (child == 0) {
            freopen(log.c_str(), "w", stderr);
            OutputFile::handleSignals("writer");
            const rlimit limit{row.fileBytes, row.fileBytes};
            setrlimit(RLIMIT_FSIZE, &limit);
            OutputFile file;
            std::string error;
            const std::string block(65536, 'n');
            bool ok = file.open(target, error) && file.write(block.data(), block.size(), error);
            if (ok && row.signal != 0)
                raise(row.signal);
            ok = ok && file.write(block.data(), block.size(), error) && file.commit(error);
            std::fprintf(stderr, "%s\n", error.c_str());
            std::fflush(stderr);
            _exit(ok ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), row.status);
        const std::string printed = contents(log);
        fs::remove(log);
        EXPECT_NE(printed.find(row.line + (row.signal ? target + " is left as it was" : target)),
                  std::string::npos)
            << printed;
        EXPECT_EQ(contents(target), "the earlier take");
        EXPECT_TRUE(leftovers(dir.path()).empty());
    }
}
