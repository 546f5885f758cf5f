// A child program for the tests and the benchmarks (the terminal simulator,
// the program, lrzsz). It is always killed and reaped when the object goes,
// so nothing that starts one leaves one behind.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bayhaul::sim {

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

    // The terminal simulator on COM<com> serving `dir`, once it said it is
    // ready (within 5 s); nothing when it did not. `simulator` is its
    // program, with any words to put before it (another user's, say).
    static std::unique_ptr<ChildProcess> StartSimulator(const std::vector<std::string>& simulator, int com,
                                                        const std::string& dir,
                                                        const std::vector<std::string>& options = {},
                                                        const std::vector<std::pair<std::string, std::string>>& env = {});
    ~ChildProcess();

    // The next line of captured output without its newline, or nullopt at
    // end of output or when none came within the timeout.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // The exit status (or 128 + signal), or nullopt if still running after the timeout.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    void Signal(int signal);
    // Reads no more of its output: what it writes from now on goes nowhere,
    // so a talkative child never waits for a reader.
    void StopReading();
    pid_t pid() const { return pid_; }

private:
    ChildProcess(pid_t pid, int outFd) : pid_(pid), outFd_(outFd) {}

    pid_t pid_;
    int outFd_;
    std::string pending_;
    std::optional<int> status_;
};

}  // namespace bayhaul::sim
