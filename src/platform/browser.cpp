#include "platform/browser.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::mutex g_launcherMutex;
BrowserLauncher g_launcher;

// Every place xdg-open may be, in the order of PATH (an empty entry is the
// current folder). Built before forking: the child of a multithreaded host
// may only make async-signal-safe calls, so it cannot search or allocate.
std::vector<std::string> xdgOpenCandidates() {
    const char* path = std::getenv("PATH");
    const std::string entries = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::vector<std::string> candidates;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = entries.find(':', start);
        const std::string dir = entries.substr(start, end - start);
        candidates.push_back((dir.empty() ? std::string(".") : dir) + "/xdg-open");
        if (end == std::string::npos)
            return candidates;
        start = end + 1;
    }
}

// Starts xdg-open through a short-lived middle process that exits as soon as
// it has forked: xdg-open is left to init, which reaps it whenever it ends.
// Some browsers keep xdg-open running until they exit, and the caller is the
// host's GUI thread, so it neither waits for xdg-open nor leaves a zombie.
void launchXdgOpen(const std::string& url) {
    // No shell: the address reaches xdg-open as one argument, whatever it holds.
    char program[] = "xdg-open";
    std::string argument = url;
    char* argv[] = {program, argument.data(), nullptr};
    const std::vector<std::string> candidates = xdgOpenCandidates();
    std::vector<const char*> paths;
    for (const std::string& candidate : candidates)
        paths.push_back(candidate.c_str());
    char** const environment = environ;

    const pid_t middle = fork();
    if (middle < 0)
        return;
    if (middle == 0) {
        // Only async-signal-safe calls from here on; _Fork, unlike fork, runs
        // no handlers that the host's libraries registered.
        if (_Fork() == 0) {
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            for (const char* candidate : paths)
                execve(candidate, argv, environment);
            _exit(127);
        }
        _exit(0);
    }
    // The middle process exits at once; a host that reaps every child itself
    // may have taken it already (ECHILD).
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

void openUrlInBrowser(const std::string& url) {
    BrowserLauncher launcher;
    {
        std::lock_guard<std::mutex> lock(g_launcherMutex);
        launcher = g_launcher;
    }
    if (launcher)
        launcher(url);
    else
        launchXdgOpen(url);
}

void setBrowserLauncher(BrowserLauncher launcher) {
    std::lock_guard<std::mutex> lock(g_launcherMutex);
    g_launcher = std::move(launcher);
}
