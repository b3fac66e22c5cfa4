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

} // namespace

TEST(OutputFile, ReplacesWholeFilesThroughLinksKeepingPermissions) {
    const std::string bytes(100000, 'n');
    const mode_t mask = umask(0);
    umask(mask);
    const auto earlier = [](const char* name, mode_t mode) {
        return [=](const TempDir& d) {
            writeBytes(d.file(name), "old take");
            chmod(d.file(name).c_str(), mode);
        };
    };
    const auto links = [](std::vector<std::pair<const char*, const char*>> pairs) {
        return [=](const TempDir& d) {
            fs::create_directory(d.file("takes"));
            for (const auto& [name, to] : pairs)
                fs::create_symlink(to, d.file(name));
        };
    };
    // What the folder holds, the name given, where the bytes land (with their
    // mode) or the error.
    const std::tuple<const char*, std::function<void(const TempDir&)>, const char*, const char*,
                     mode_t, const char*>
        rows[] = {
            {"a new file", [](const TempDir&) {}, "new.wav", "new.wav", 0666 & ~mask, ""},
            {"an earlier file", earlier("song.wav", 0640), "song.wav", "song.wav", 0640, ""},
            {"relative links", links({{"middle", "takes/song.wav"}, {"out.wav", "middle"}}),
             "out.wav", "takes/song.wav", 0666 & ~mask, ""},
            {"a link to a missing folder", links({{"out.wav", "none/song.wav"}}), "out.wav", "", 0,
             "none: No such file or directory"},
            {"a loop", links({{"a", "b"}, {"b", "a"}}), "a", "", 0,
             ": Too many levels of symbolic links"},
        };
    for (const auto& [what, make, named, lands, mode, says] : rows) {
        SCOPED_TRACE(what);
        TempDir dir;
        make(dir);
        const bool link = fs::is_symlink(dir.file(named));
        std::string error;
        EXPECT_EQ(OutputFile::writeWhole(dir.file(named), bytes, error), *lands != '\0');
        EXPECT_NE(error.find(says), std::string::npos) << error;
        EXPECT_EQ(fs::is_symlink(dir.file(named)), link);
        if (*lands != '\0') {
            EXPECT_EQ(contents(dir.file(lands)), bytes);
            struct stat status {};
            stat(dir.file(lands).c_str(), &status);
            EXPECT_EQ(status.st_mode & 0777, mode);
        }
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
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
