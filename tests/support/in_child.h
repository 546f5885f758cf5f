// Runs part of a test in a child process, for what must not touch the test
// process itself: a file-size limit, or the rights of an ordinary user when
// the tests run as root. The body's result is the child's exit code.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

struct ChildLimits {
    bool asOrdinaryUser = false;  // as root: drop to nobody (65534) first
    long maxFileBytes = -1;       // a file-size limit; writes past it fail
};

inline int RunInChild(const ChildLimits& limits, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (limits.asOrdinaryUser && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(125);
        if (limits.maxFileBytes >= 0) {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing the process
            const rlimit limit{static_cast<rlim_t>(limits.maxFileBytes), static_cast<rlim_t>(limits.maxFileBytes)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        _exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
