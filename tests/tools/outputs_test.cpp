// Every program that writes a file a user names, crossed with what the user
// names (a new file, an earlier one, a link, a device, a folder, a pipe) and
// what happens meanwhile (nothing, a file-size limit, SIGTERM). Whatever
// happens, the user's earlier file is left as it was or replaced by a whole
// new one, nothing else is left behind, and the exit status and the line say
// which. And the factory sound set generator, as the build runs it: whatever
// stops it, its folder holds only whole files.
#include "samplepack.pb.h"

#include "../support/command.h"
#include "../support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

enum class Target { Missing, Earlier, Link, DevNull, DevFull, Folder, Pipe };
enum class Event { None, FileSizeLimit, Sigterm };
const char* const kTargetNames[] = {"a new file", "an earlier file", "links", "/dev/null",
                                    "/dev/full",  "a folder",        "a FIFO"};
const char* const kEventNames[] = {"nothing", "a file-size limit", "SIGTERM"};

struct Program {
    const char* name;
    // The command; "OUT" stands for the path it writes, or for the folder
    // it writes in when it writes a whole folder.
    std::vector<std::string> command;
    // The file the program writes in the folder it is given, for one that
    // writes a whole folder; empty for one that is given its file's path.
    std::string fileInFolder;
    // Writes its report to standard output, which the shell opened (`>>`).
    bool redirected = false;
    // Its output differs from run to run (timings): compared by being there.
    bool varies = false;
    // Refuses a pipe, for a file that must be sought back in.
    bool refusesPipes = false;
};

void PrintTo(const Program& program, std::ostream* out) {
    *out << program.name;
}

std::vector<std::string> commandOf(const Program& program, const std::string& out) {
    std::vector<std::string> command = program.command;
    std::replace(command.begin(), command.end(), std::string("OUT"), out);
    return command;
}

// Hidden files: the temporary files a run may have left behind.
std::vector<std::string> hidden(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.')
            found.push_back(entry.path().string());
    return found;
}

struct Written {
    CommandResult result;
    std::string piped; // what a reader of the FIFO received
};

// Runs the command with standard output into `stdoutPath` (opened for
// appending, as `>>` would), reading the FIFO as it goes, and sends SIGTERM
// at the first sign of writing in any of `watched`.
Written run(const std::vector<std::string>& command, const std::string& stdoutPath,
            const std::string& fifo, Event event, const std::vector<std::string>& watched) {
    Written run;
    const int reader = fifo.empty() ? -1 : ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int out = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK, 0644);
    fcntl(out, F_SETFL, fcntl(out, F_GETFL) & ~O_NONBLOCK);
    const int notify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    for (const std::string& folder : watched)
        inotify_add_watch(notify, folder.c_str(), IN_CREATE | IN_MODIFY);
    bool signalled = event != Event::Sigterm;
    run.result =
        runCommand(command, {60, 1L << 30, event == Event::FileSizeLimit ? 64 : RLIM_INFINITY}, out,
                   [&](pid_t pid) {
                       drain(reader, run.piped);
                       pollfd p{notify, POLLIN, 0};
                       if (!signalled && poll(&p, 1, 0) > 0)
                           signalled = kill(pid, SIGTERM) == 0;
                   });
    drain(reader, run.piped);
    for (int fd : {out, reader, notify})
        ::close(fd);
    return run;
}

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
            std::string bytes = readBytes(entry.path());
            const std::size_t held = bytes.size();
            bytes.resize(44);
            const std::size_t claimed = 44 + (bytes[40] & 0xFFu) + ((bytes[41] & 0xFFu) << 8) +
                                        ((bytes[42] & 0xFFu) << 16) + ((bytes[43] & 0xFFu) << 24);
            if (held == claimed)
                wholeWaves.insert(name);
            else
                problems.push_back(name + " holds " + std::to_string(held) +
                                   " bytes, its header claims " + std::to_string(claimed));
        }
    }
    for (const fs::path& path : packPaths) {
        Kestrovalian::SamplePack pack;
        if (!pack.ParseFromString(readBytes(path)) || pack.zone_size() == 0)
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

const std::string kEarlier = "the user's earlier file\n";

class Outputs : public testing::TestWithParam<Program> {};

TEST_P(Outputs, LeaveTheEarlierFileOrAWholeNewOne) {
    const Program& program = GetParam();
    const auto pathIn = [&](const TempDir& dir) {
        return program.fileInFolder.empty() ? dir.file("out put") : dir.file(program.fileInFolder);
    };

    // What a plain run writes, to compare every other run's file with.
    TempDir referenceDir;
    const std::string referencePath = pathIn(referenceDir);
    const Written reference =
        run(commandOf(program, program.fileInFolder.empty() ? referencePath : referenceDir.path()),
            program.redirected ? referencePath : "/dev/null", "", Event::None, {});
    ASSERT_EQ(reference.result.status, 0) << reference.result.output;
    const std::string expected = readBytes(referencePath);
    ASSERT_FALSE(expected.empty());

    const Target targets[] = {Target::Missing, Target::Earlier, Target::Link, Target::DevNull,
                              Target::DevFull, Target::Folder,  Target::Pipe};
    for (Target target : targets) {
        for (Event event : {Event::None, Event::FileSizeLimit, Event::Sigterm}) {
            const bool aFile =
                target == Target::Missing || target == Target::Earlier || target == Target::Link;
            // Devices and pipes have no size to limit and nothing to remove;
            // a shell cannot open a folder for a report.
            if ((event != Event::None && !aFile) ||
                (program.redirected && (target == Target::Folder || event == Event::Sigterm)))
                continue;
            SCOPED_TRACE(std::string(program.name) + " writing " +
                         kTargetNames[static_cast<int>(target)] + ", " +
                         kEventNames[static_cast<int>(event)] + " meanwhile");
            TempDir dir;
            TempDir elsewhere;
            std::string path = pathIn(dir);
            const std::string linked = elsewhere.file("linked");
            const std::string written = target == Target::Link ? linked : path;
            const std::string before =
                target == Target::Earlier || target == Target::Link ? kEarlier : "";
            if (!before.empty()) {
                writeBytes(written, kEarlier);
                chmod(written.c_str(), 0640);
            }
            if (target == Target::Link) { // a relative link to a link
                fs::create_symlink(linked, dir.file("middle"));
                fs::create_symlink("middle", path);
            }
            // A program given its path names a device as it is; in a folder,
            // the device is reached through a link.
            const char* device = target == Target::DevNull   ? "/dev/null"
                                 : target == Target::DevFull ? "/dev/full"
                                                             : nullptr;
            if (device && program.fileInFolder.empty())
                path = device;
            else if (device)
                fs::create_symlink(device, path);
            if (target == Target::Folder)
                fs::create_directory(path);
            ASSERT_TRUE(target != Target::Pipe || mkfifo(path.c_str(), 0600) == 0);
            const Written ran =
                run(commandOf(program, program.fileInFolder.empty() ? path : dir.path()),
                    program.redirected ? path : "/dev/null", target == Target::Pipe ? path : "",
                    event, {dir.path(), elsewhere.path()});
            const CommandResult& r = ran.result;
            const std::string& said = r.output;
            // A program writing a whole folder may stop at another of its files.
            const std::string named = program.fileInFolder.empty() ? path : dir.path();
            // The new output, whole; a report is appended to what was there.
            const auto isWhole = [&](const std::string& bytes) {
                const std::string added = program.redirected ? bytes.substr(before.size()) : bytes;
                return program.varies ? !added.empty() : added == expected;
            };

            // How the run must end, and what it must say: a signal either
            // stopped it or came after it had finished.
            int status = 0;
            std::string says;
            if (event == Event::FileSizeLimit)
                status = 1, says = "File too large";
            else if (target == Target::DevFull)
                status = 1, says = "No space left on device";
            else if (target == Target::Folder)
                status = 1, says = path + ": Is a directory";
            else if (target == Target::Pipe && program.refusesPipes)
                status = 1, says = path + ": it is a pipe";
            else if (event == Event::Sigterm && r.status == 128 + SIGTERM)
                status = r.status, says = "stopped by SIGTERM";
            EXPECT_EQ(r.status, status) << said;
            EXPECT_NE(said.find(says), std::string::npos) << said;
            EXPECT_TRUE(status != 1 || program.redirected || said.find(named) != std::string::npos)
                << said;
            // What the user had stays, whole, unless the run finished it (a
            // signal may also come just after a file was renamed into place);
            // a report is appended to it.
            const std::string now = aFile && fs::exists(written) ? readBytes(written) : "";
            const bool finished =
                status == 0 || (status == 128 + SIGTERM &&
                                said.find("left as") == std::string::npos && now != before);
            EXPECT_TRUE(!aFile || (finished && !program.redirected) ||
                        (program.redirected ? now.substr(0, before.size()) : now) == before);
            EXPECT_TRUE(!aFile || !finished || isWhole(now));
            EXPECT_TRUE(target != Target::Pipe || status != 0 || isWhole(ran.piped));
            // A file replaced keeps its permissions.
            struct stat mode {};
            EXPECT_TRUE(before.empty() || program.redirected || stat(written.c_str(), &mode) != 0 ||
                        (mode.st_mode & 0777) == 0640);
            EXPECT_TRUE(target != Target::Folder || fs::is_empty(path));
            EXPECT_TRUE(target != Target::Pipe || fs::is_fifo(path));
            EXPECT_TRUE(target != Target::Link || fs::is_symlink(path));
            EXPECT_TRUE((target != Target::DevNull && target != Target::DevFull) ||
                        fs::is_character_file(path));
            EXPECT_EQ(hidden(dir.path()), std::vector<std::string>());
            EXPECT_EQ(hidden(elsewhere.path()), std::vector<std::string>());
        }
    }
}

std::vector<Program> programs() {
    const char* plugin = AMBER_PLUGIN_LIBRARY;
    return {
        {"vsthost render",
         {AMBER_VSTHOST, "render", plugin, "--demo", "--out", "OUT", "--quiet"},
         "",
         false,
         false,
         true},
        // The instrument's own lines on standard output name addresses.
        {"vsthost info", {AMBER_VSTHOST, "info", plugin}, "", true, true, false},
        {"facerender", {AMBER_FACERENDER, "OUT"}, "", false, false, false},
        {"editorshot", {AMBER_EDITORSHOT, "--out", "OUT"}, "", false, false, false},
        {"artgen", {AMBER_ARTGEN, "--source", "OUT"}, "", false, false, false},
        {"the sound-set generator", {AMBER_SOUNDSET, "OUT"}, "Bass-00-24.wav", false, false, false},
#ifdef AMBER_PLUGIN_BENCH
        {"plugin_bench",
         {AMBER_PLUGIN_BENCH, "--benchmark_filter=TenHeldVoices", "--benchmark_min_time=0.001"},
         "",
         true,
         true,
         false},
#endif
    };
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, Outputs, testing::ValuesIn(programs()),
                         [](const testing::TestParamInfo<Program>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     name += c;
                             return name;
                         });

} // namespace

// Under a file-size limit the drum samples fit and the longer ones do not: a
// drum kit then has some of its WAV files and no pack.
TEST(SoundSet, AFailedWriteLeavesNoFileCutShortAndNoPackWithoutItsSamples) {
    TempDir dir;
    const std::string folder = dir.file("sounds");
    const CommandResult ran = runCommand({AMBER_SOUNDSET, folder}, {20, 1L << 30, 100000});
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
    const CommandResult first = runCommand({AMBER_SOUNDSET, folder}, {}, -1, [&](pid_t) {
        if (++ticks == 100)
            second = startCommand({AMBER_SOUNDSET, folder}, quiet);
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
