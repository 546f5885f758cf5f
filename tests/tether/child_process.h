// A child program for link tests (lrzsz, the terminal simulator). It is
// always killed and reaped when the object goes, so no test leaves one behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bayhaul::tether::testing {

struct ChildOptions {
    std::vector<std::string> argv;
    std::string workDir;                                   // empty: inherit
    std::vector<std::pair<std::string, std::string>> env;  // added to ours
    int stdioFd = -1;                                      // becomes stdin and stdout when set
    bool captureStdout = false;                            // otherwise stdout goes to /dev/null (unless stdioFd)
};

class ChildProcess {
public:
    static std::unique_ptr<ChildProcess> Start(const ChildOptions& options);
    ~ChildProcess();

    // The next line of captured output without its newline, or nullopt at
    // end of output or when none came within the timeout.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // The exit status (or 128 + signal), or nullopt if still running after the timeout.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    void Signal(int signal);
    pid_t pid() const { return pid_; }

private:
    ChildProcess(pid_t pid, int outFd) : pid_(pid), outFd_(outFd) {}

    pid_t pid_;
    int outFd_;
    std::string pending_;
    std::optional<int> status_;
};

}  // namespace bayhaul::tether::testing
