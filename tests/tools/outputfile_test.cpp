#include "outputfile.h"

#include "../support/scratch.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
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

TEST(OutputFile, ReplacesWholeFilesThroughLinksKeepingPermissions) {
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

TEST(OutputFile, WritesInheritedDescriptorsInPlace) {
    TempDir dir;
    std::string error;
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
