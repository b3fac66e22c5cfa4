#include "../support/scratch.h"
#include "platform/browser.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A stand-in xdg-open first on the PATH writes its arguments to a file, so
// the test sees what a real one would get, and that no shell touched it,
// whether a descriptor the host left open (not close-on-exec) reached it,
// which signals it starts with ignored or blocked (the host here ignores
// SIGINT and blocks SIGUSR1, as hosts do for their own reasons) and whether
// it shares the host's session. Once the address is open the test process
// has no child left, running or ended: a browser may keep xdg-open alive for
// as long as it runs, and a host never reaps children it did not start.
TEST(Browser, XdgOpenGetsTheAddressAsOneArgumentInASessionOfItsOwnAndLeavesNoChild) {
    const TempDir temp;
    const fs::path dir = temp.path();
    const std::string out = (dir / "args").string();
    const fs::path marker = dir / "pwned";
    // Well above the descriptors the stand-in's shell takes for itself.
    const int leftOpen = ::fcntl(STDERR_FILENO, F_DUPFD, 100);
    ASSERT_GE(leftOpen, 100);
    std::ofstream(dir / "xdg-open")
        << "#!/bin/sh\n{ printf '%s|' \"$#\" \"$@\"; [ -e /dev/fd/" << leftOpen
        << " ] && echo leaked; grep -E '^Sig(Blk|Ign)' /proc/$$/status | tr -d '\\t\\n';"
        << " [ \"$(cut -d' ' -f6 /proc/$$/stat)\" = " << getsid(0)
        << " ] && echo host-session; } > '" << out << ".tmp'\nmv '" << out << ".tmp' '" << out
        << "'\nsleep 1\n";
    fs::permissions(dir / "xdg-open", fs::perms::owner_all);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    // An empty entry and a folder without the program come first: both are
    // searched past, as the shell would.
    setenv("PATH", (":" + (dir / "none").string() + ":" + dir.string() + ":" + oldPath).c_str(), 1);

    const auto oldInterrupt = std::signal(SIGINT, SIG_IGN);
    sigset_t user1, oldMask;
    sigemptyset(&user1);
    sigaddset(&user1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &user1, &oldMask);

    const std::string url = "https://example.invalid/?q=a b&x=$(touch " + marker.string() + ")";
    openUrlInBrowser(url);
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    std::signal(SIGINT, oldInterrupt);
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG) == -1 ? errno : 0, ECHILD);
    std::string args;
    for (int i = 0; i < 300 && args.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        args = readBytes(out);
    }
    setenv("PATH", oldPath.c_str(), 1);
    ::close(leftOpen);
    // Nothing blocked or ignored, but glibc's two internal signals, 32 and
    // 33, which its posix_spawn leaves ignored: glibc takes them back in
    // every program that needs them, and they are not for a program's own use.
    EXPECT_TRUE(args.rfind("1|" + url + "|SigBlk:", 0) == 0 &&
                std::regex_match(args.substr(url.size() + 3),
                                 std::regex("SigBlk:0{16}SigIgn:0{7}[01][08]0{7}")))
        << args;
    EXPECT_FALSE(fs::exists(marker));
}

} // namespace
