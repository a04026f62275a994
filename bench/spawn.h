#pragma once

// Starting a program from a benchmark without Qt in between, so that its start is timed as a
// shell's would be.
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quillorn::bench {

// Starts argv with stdin from inFd and stdout to outFd (-1: inherited), closeFd closed in the
// child (-1: none) and, when quietErrors, standard error to /dev/null. The child's pid, or -1.
inline pid_t spawn(const std::vector<std::string>& argv, int inFd, int outFd, int closeFd,
                   bool quietErrors = false) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, inFd, STDIN_FILENO);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    if (closeFd >= 0)
        posix_spawn_file_actions_addclose(&actions, closeFd);
    if (quietErrors)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// What a child started with its standard output to the pipe's write end (already closed here)
// wrote to readFd, up to its end, once the child has ended; at most 127 bytes.
inline std::string childOutput(pid_t pid, int readFd) {
    char buffer[128] = {};
    ssize_t n = 0, got = 0;
    while ((n = ::read(readFd, buffer + got, sizeof(buffer) - 1 - size_t(got))) > 0)
        got += n;
    ::close(readFd);
    waitpid(pid, nullptr, 0);
    return std::string(buffer, size_t(got));
}

} // namespace quillorn::bench
