// End to end on a real display: the minimal host loads the built plug-in,
// opens its editor in a window of its own and idles it; xdotool clicks and
// drags in that window as a user would, and the host's report shows what the
// editor asked of it. Screenshots before and after are written as PNG files.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The host running as a child process, its standard output read line by
// line. It ends by itself after the seconds it is given, so a line that
// never comes ends in the end of its output, not in a hang; SIGTERM asks it
// to close the editor and end at once.
class HostProcess {
public:
    explicit HostProcess(const std::string& arguments) {
        // The shell tells the host's process id, then becomes the host.
        m_out = popen(("echo $$; exec " + arguments + " </dev/zero").c_str(), "r");
        if (m_out == nullptr || std::fscanf(m_out, "%d\n", &m_pid) != 1) {
            m_pid = -1;
        }
    }
    ~HostProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
        }
        if (m_out) {
            pclose(m_out);
        }
    }

    bool started() const { return m_pid > 0; }

    // The next line that matches pattern (its groups in match); false when
    // the output ended first.
    bool waitFor(const std::string& pattern, std::smatch& match) {
        const std::regex re(pattern);
        char line[4096];
        while (std::fgets(line, sizeof line, m_out)) {
            m_log += line;
            m_line.assign(line, std::strcspn(line, "\n"));
            if (std::regex_search(m_line, match, re)) {
                return true;
            }
        }
        return false;
    }
    bool waitFor(const std::string& pattern) {
        std::smatch ignored;
        return waitFor(pattern, ignored);
    }
    void stop() { kill(m_pid, SIGTERM); }
    // The exit status once the process ended.
    int waitForExit() {
        const int status = pclose(m_out);
        m_out = nullptr;
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    const std::string& log() const { return m_log; }

private:
    std::FILE* m_out = nullptr;
    pid_t m_pid = -1;
    std::string m_line;
    std::string m_log;
};

int run(const std::string& command) {
    return std::system(command.c_str());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool isPng(const std::string& bytes) {
    return bytes.size() > 1000 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
}

TEST(EditorOnDisplay, ClicksAndDragsReachTheHost) {
    if (!std::getenv("DISPLAY")) {
        GTEST_SKIP() << "no X display";
    }
    HostProcess host(std::string("'") + AMBER_VSTHOST + "' editor '" + AMBER_PLUGIN +
                     "' --seconds 60");
    ASSERT_TRUE(host.started());
    std::smatch m;
    ASSERT_TRUE(host.waitFor("^editor: window (0x[0-9a-f]+) 578x356$", m)) << host.log();
    const std::string window = m[1];
    const std::string shotBefore = std::string(AMBER_SHOT_DIR) + "/editor_x11_before.png";
    const std::string shotAfter = std::string(AMBER_SHOT_DIR) + "/editor_x11_after.png";
    // The editor draws at its first idles after the window appears.
    usleep(300000);
    ASSERT_EQ(run("/usr/bin/import -window " + window + " " + shotBefore), 0);
    const std::string xdo = "xdotool mousemove --sync --window " + window + " ";

    // Next program: from program 0 to program 1, inside the button's edit.
    ASSERT_EQ(run(xdo + "410 200 click 1"), 0);
    ASSERT_TRUE(host.waitFor("^clicked 1$")) << host.log();
    ASSERT_TRUE(host.waitFor("^host: update display, program 1 \"-= DRUMS =-\"$")) << host.log();

    // A row further down the program list.
    ASSERT_EQ(run(xdo + "40 200 click 1"), 0);
    ASSERT_TRUE(host.waitFor("^clicked ([0-9]+)$", m)) << host.log();
    const std::string row = m[1];
    EXPECT_GT(std::stoi(row), 1);
    ASSERT_TRUE(host.waitFor("^host: update display, program " + row + " ")) << host.log();

    // The knob, dragged up from the middle of its range.
    ASSERT_EQ(run(xdo + "320 130 mousedown 1"), 0);
    ASSERT_EQ(run(xdo + "320 100 mousemove --sync --window " + window + " 320 60 mouseup 1"), 0);
    ASSERT_TRUE(host.waitFor("^host: begin edit$")) << host.log();
    ASSERT_TRUE(host.waitFor("^host: automate parameter 0 value 0\\.8500 ")) << host.log();
    ASSERT_TRUE(host.waitFor("^host: end edit$")) << host.log();

    usleep(400000);
    ASSERT_EQ(run("/usr/bin/import -window " + window + " " + shotAfter), 0);
    host.stop();
    EXPECT_TRUE(host.waitFor("^editor: closed$")) << host.log();
    EXPECT_EQ(host.waitForExit(), 0) << host.log();

    const std::string before = readFile(shotBefore);
    const std::string after = readFile(shotAfter);
    EXPECT_TRUE(isPng(before));
    EXPECT_TRUE(isPng(after));
    EXPECT_NE(before, after);
}

} // namespace
