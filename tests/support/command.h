// Runs a program the way a user would, but with no shell between: every
// argument reaches it as it stands, whatever spaces or quotes the paths of
// the checkout, the build folder or a test's temporary folder hold.
#pragma once

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

struct CommandResult {
    int status = -1;    // the exit status, 128 + the signal that ended it, or -1 if it never ran
    std::string output; // standard output and standard error, interleaved as written
};

// Starts argv[0] (searched on PATH when it holds no slash) with the test's
// environment and standard input from /dev/null, waits for it and returns
// what it printed.
inline CommandResult runCommand(const std::vector<std::string>& argv) {
    CommandResult result;
    int pipeFds[2];
    if (argv.empty() || pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;
    std::vector<std::string> copies = argv;
    std::vector<char*> args;
    for (std::string& a : copies)
        args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    char buffer[4096];
    for (ssize_t n; spawned == 0 && ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0 ||
                                     (n < 0 && errno == EINTR));)
        if (n > 0)
            result.output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    if (spawned != 0)
        return result;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}
