#include "platform/browser.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::mutex g_launcherMutex;
BrowserLauncher g_launcher;

// Starts xdg-open through a short-lived shell and setsid, which forks it into
// a session of its own and exits at once: xdg-open is left to init, which
// reaps it whenever it ends. Some browsers keep xdg-open running until they
// exit, and the caller is the host's GUI thread, so it neither waits for
// xdg-open nor leaves a zombie. The shell's own "&" would do the detaching
// too, but a background job of a non-interactive shell starts with SIGINT
// and SIGQUIT ignored, and the browser would inherit that; its own session
// also keeps a Ctrl-C in the host's terminal from reaching the browser.
// posix_spawn does not copy the host's address space as fork would: a host
// that locks its memory would otherwise see its audio thread take
// copy-on-write page faults until the child has started the shell.
void launchXdgOpen(const std::string& url) {
    // The address is the shell's first positional argument and is only ever
    // expanded in quotes: it reaches xdg-open as one argument, whatever it
    // holds. The shell searches PATH as any launcher would; a missing
    // xdg-open fails silently, as a browser that never appears does.
    char shell[] = "/bin/sh", option[] = "-c", name[] = "sh";
    char script[] = "command -v xdg-open >/dev/null && exec setsid -f xdg-open \"$1\"";
    std::string argument = url;
    char* argv[] = {shell, option, script, name, argument.data(), nullptr};

    // Only standard input, output and error reach the browser: any other
    // descriptor the host left open (a socket, a lock, its audio device)
    // would otherwise live on in xdg-open and the browser. Signals start
    // unblocked and at their defaults, whatever the host set for its own.
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    if (posix_spawn_file_actions_init(&actions) != 0)
        return;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return;
    }
    pid_t child = -1;
    if (posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0 &&
        posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
        posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) ==
            0 &&
        posix_spawn(&child, shell, &actions, &attributes, argv, environ) == 0) {
        // setsid exits as soon as it has forked xdg-open; a host that reaps
        // every child itself may have taken it already (ECHILD).
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
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
