// End to end on a real display: the minimal host loads the built plug-in,
// opens its editor in a window of its own and idles it; xdotool clicks and
// drags in that window as a user would, and the host's report shows what the
// editor asked of it. Screenshots before and after are written as PNG files.

#include "../support/command.h"
#include "../support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <regex>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

TEST(EditorOnDisplay, ClicksAndDragsReachTheHost) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    // The host ends by itself after its seconds: a line that never comes
    // ends in the end of its output, not in a hang. SIGTERM asks it to close
    // at once; its standard input (/dev/zero) stays open until then.
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    pid_t pid = startCommand({AMBER_VSTHOST, "editor", AMBER_PLUGIN, "--seconds", "60"},
                             pipeEnds[1], "/dev/zero");
    close(pipeEnds[1]);
    FILE* out = fdopen(pipeEnds[0], "r");
    ASSERT_TRUE(pid > 0 && out);
    // A failed step must not leave the host running.
    struct Kill {
        pid_t& pid;
        ~Kill() { pid > 0 && kill(pid, SIGKILL); }
    } killOnFailure{pid};
    std::string log, last, window;
    std::smatch m;
    const auto waitForLine = [&](const std::string& pattern) {
        char line[4096];
        while (std::fgets(line, sizeof line, out)) {
            log += line;
            last.assign(line, std::strcspn(line, "\n"));
            if (std::regex_search(last, m, std::regex(pattern)))
                return true;
        }
        return false;
    };
    // A screenshot of the window.
    const auto shot = [&](const char* name) {
        const std::string path = std::string(AMBER_SHOT_DIR) + "/editor_x11_" + name + ".png";
        const CommandResult taken = runCommand({"/usr/bin/import", "-window", window, path});
        EXPECT_EQ(taken.status, 0) << taken.output;
        const std::string png = readBytes(path);
        EXPECT_TRUE(png.size() > 1000 && png.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) << name;
        return png;
    };
    ASSERT_TRUE(waitForLine("^editor: window (0x[0-9a-f]+) 578x356$")) << log;
    window = m[1];
    // The editor draws at its first idles after the window appears.
    usleep(300000);
    const std::string before = shot("before");

    // xdotool's pointer moves in the window, each followed by the lines the
    // host prints: the next button, from program 0 to program 1 inside its
    // edit; a row further down the program list; the knob, dragged up from the
    // middle of its range.
    const std::pair<std::vector<std::string>, std::vector<std::string>> steps[] = {
        {{"410", "200", "click", "1"},
         {"^clicked 1$", "^host: update display, program 1 \"-= DRUMS =-\"$"}},
        {{"40", "200", "click", "1"}, {"^clicked 7$", "^host: update display, program 7 "}},
        {{"320", "130", "mousedown", "1"}, {}},
        {{"320", "100", "mousemove", "--sync", "--window", window, "320", "60", "mouseup", "1"},
         {"^host: begin edit$", "^host: automate parameter 0 value 0\\.8500 ",
          "^host: end edit$"}}};
    for (auto [moves, lines] : steps) {
        moves.insert(moves.begin(), {"xdotool", "mousemove", "--sync", "--window", window});
        ASSERT_EQ(runCommand(moves).status, 0);
        for (const std::string& line : lines)
            ASSERT_TRUE(waitForLine(line)) << log;
    }

    usleep(400000);
    EXPECT_NE(shot("after"), before);
    kill(pid, SIGTERM);
    EXPECT_TRUE(waitForLine("^editor: closed$")) << log;
    // Whatever it prints on its way out is read to the end: closing the pipe
    // earlier would end it by SIGPIPE.
    for (char line[4096]; std::fgets(line, sizeof line, out);)
        log += line;
    std::fclose(out);
    int status = -1;
    waitpid(std::exchange(pid, -1), &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << log;
}

} // namespace
