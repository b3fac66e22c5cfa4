// Runs a program the way a user would, but with no shell between: every
// argument reaches it as it stands, whatever spaces or quotes the paths of
// the checkout, the build folder or a test's temporary folder hold.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

struct CommandResult {
    // Standard output and error together, as written.
    std::string output;
    // The exit status, 128 + the signal that ended it, or -1 when it never
    // ran or was stopped at a limit.
    int status = -1;
    long peakKiB = 0;
};

// What a run may take before the test stops it: a command that hangs or
// grows without end fails its test instead of taking the machine down.
struct CommandLimits {
    int seconds = 20;
    long memoryBytes = 1L << 30;
    rlim_t fileBytes = RLIM_INFINITY; // the largest file it may write
};

// Starts argv[0] (searched on PATH when it holds no slash) with standard
// input from `input` and standard output and error into `outFd` (error into
// `errFd` instead when one is given), its files
// capped at fileBytes (no lower than it may already write: a limit can only
// be lowered without privilege). Its process id, or -1.
inline pid_t startCommand(std::vector<std::string> arguments, int outFd,
                          const char* input = "/dev/null", rlim_t fileBytes = RLIM_INFINITY,
                          int errFd = -1) {
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    rlimit fileLimit{};
    getrlimit(RLIMIT_FSIZE, &fileLimit);
    if (fileBytes != RLIM_INFINITY &&
        (fileLimit.rlim_max == RLIM_INFINITY || fileBytes < fileLimit.rlim_max))
        fileLimit = {fileBytes, fileBytes};
    const pid_t pid = arguments.empty() ? -1 : fork();
    if (pid == 0) {
        const int in = ::open(input, O_RDONLY);
        if (in >= 0 && dup2(in, 0) >= 0 && dup2(outFd, 1) >= 0 &&
            dup2(errFd >= 0 ? errFd : outFd, 2) >= 0 && setrlimit(RLIMIT_FSIZE, &fileLimit) == 0)
            execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Appends what can be read from fd without waiting to `to`.
inline void drain(int fd, std::string& to) {
    char buffer[65536];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        to.append(buffer, static_cast<std::size_t>(n));
}

// Runs a command to its end within `limits`; what it printed and how it ended.
// Its standard output goes to `outFd` instead when one is given, and
// `meanwhile` is called with its process id every millisecond or so. What it
// prints goes through a pipe, which no file-size limit cuts short.
inline CommandResult runCommand(std::vector<std::string> arguments,
                                const CommandLimits& limits = {}, int outFd = -1,
                                const std::function<void(pid_t)>& meanwhile = {}) {
    CommandResult result;
    int log[2];
    if (pipe2(log, O_CLOEXEC) != 0)
        return result;
    fcntl(log[0], F_SETFL, O_NONBLOCK);
    const pid_t pid =
        startCommand(arguments, outFd >= 0 ? outFd : log[1], "/dev/null", limits.fileBytes, log[1]);
    ::close(log[1]);
    int status = -1;
    rusage usage{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds);
    while (pid > 0 && wait4(pid, &status, WNOHANG, &usage) == 0) {
        drain(log[0], result.output);
        if (meanwhile)
            meanwhile(pid);
        long pages = 0;
        std::ifstream("/proc/" + std::to_string(pid) + "/statm") >> pages >> pages;
        if (std::chrono::steady_clock::now() > deadline ||
            pages * sysconf(_SC_PAGESIZE) > limits.memoryBytes) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    drain(log[0], result.output);
    ::close(log[0]);
    result.status = status == -1        ? -1
                    : WIFEXITED(status) ? WEXITSTATUS(status)
                                        : 128 + WTERMSIG(status);
    result.peakKiB = usage.ru_maxrss;
    return result;
}
