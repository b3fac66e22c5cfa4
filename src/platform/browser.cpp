#include "platform/browser.h"

#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

std::mutex g_launcherMutex;
BrowserLauncher g_launcher;
std::vector<pid_t> g_children; // started, not yet reaped; under g_launcherMutex

// Collects the xdg-open processes that have ended, without waiting: some
// browsers keep xdg-open running until they exit, and the caller is the
// host's GUI thread.
void reapFinishedChildren() {
    for (auto it = g_children.begin(); it != g_children.end();) {
        int status = 0;
        const pid_t r = waitpid(*it, &status, WNOHANG);
        if (r == 0)
            ++it;
        else
            it = g_children.erase(it);
    }
}

void launchXdgOpen(const std::string& url) {
    // No shell: the address reaches xdg-open as one argument, whatever it holds.
    char program[] = "xdg-open";
    std::string argument = url;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return;
    std::lock_guard<std::mutex> lock(g_launcherMutex);
    reapFinishedChildren();
    g_children.push_back(pid);
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
