// End to end on a real display: the minimal host loads the built plug-in,
// opens its editor in a window of its own and idles it; xdotool clicks and
// drags in that window as a user would, and the host's report shows what the
// editor asked of it. Screenshots before and after are written as PNG files.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The host running as a child process, its standard output read line by line.
class HostProcess {
public:
    HostProcess(const std::vector<std::string>& args) {
        int out[2];
        int in[2];
        if (pipe(out) != 0 || pipe(in) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(in[0]);
        m_out = out[0];
        m_in = in[1];
    }
    ~HostProcess() {
        closeInput();
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) {
            close(m_out);
        }
    }

    bool started() const { return m_pid > 0; }

    // The first line from now on that matches pattern (its groups in match);
    // false when none came within the time limit.
    bool waitFor(const std::string& pattern, std::smatch& match, double seconds = 10) {
        const std::regex re(pattern);
        const auto end =
            Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
        for (;;) {
            std::size_t newline;
            while ((newline = m_buffer.find('\n')) != std::string::npos) {
                m_line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                m_log += m_line + "\n";
                if (std::regex_search(m_line, match, re)) {
                    return true;
                }
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0) {
                return false;
            }
            pollfd fd{m_out, POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(left)) <= 0) {
                return false;
            }
            char chunk[4096];
            const ssize_t n = read(m_out, chunk, sizeof chunk);
            if (n <= 0) {
                return false;
            }
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }
    bool waitFor(const std::string& pattern, double seconds = 10) {
        std::smatch ignored;
        return waitFor(pattern, ignored, seconds);
    }

    void closeInput() {
        if (m_in >= 0) {
            close(m_in);
            m_in = -1;
        }
    }
    // The exit status once the process ended, -1 otherwise.
    int waitForExit(double seconds) {
        const auto end =
            Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
        while (Clock::now() < end) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(20000);
        }
        return -1;
    }
    const std::string& log() const { return m_log; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_in = -1;
    std::string m_buffer;
    std::string m_line;
    std::string m_log;
};

int run(const std::string& command) {
    return std::system(command.c_str());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isPng(const std::string& bytes) {
    return bytes.size() > 1000 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0;
}

TEST(EditorOnDisplay, ClicksAndDragsReachTheHost) {
    if (!std::getenv("DISPLAY")) {
        GTEST_SKIP() << "no X display";
    }
    HostProcess host({AMBER_VSTHOST, "editor", AMBER_PLUGIN, "--seconds", "60"});
    ASSERT_TRUE(host.started());
    std::smatch m;
    ASSERT_TRUE(host.waitFor("^editor: window (0x[0-9a-f]+) 578x356$", m, 30)) << host.log();
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
    host.closeInput();
    EXPECT_TRUE(host.waitFor("^editor: closed$")) << host.log();
    EXPECT_EQ(host.waitForExit(20), 0) << host.log();

    const std::string before = readFile(shotBefore);
    const std::string after = readFile(shotAfter);
    EXPECT_TRUE(isPng(before));
    EXPECT_TRUE(isPng(after));
    EXPECT_NE(before, after);
}

} // namespace
