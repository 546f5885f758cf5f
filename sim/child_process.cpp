#include "sim/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace bayhaul::sim {

using SteadyClock = std::chrono::steady_clock;

std::unique_ptr<ChildProcess> ChildProcess::Start(const ChildOptions& options) {
    int pipeFds[2] = {-1, -1};
    if (options.captureStdout && pipe2(pipeFds, O_CLOEXEC) != 0) return nullptr;
    std::vector<char*> argv;
    for (const auto& arg : options.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // The environment is built before fork: the child only calls async-signal-safe functions.
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool replaced = std::any_of(options.env.begin(), options.env.end(), [&](const auto& kv) {
            return entry.compare(0, kv.first.size() + 1, kv.first + "=") == 0;
        });
        if (!replaced) envText.push_back(entry);
    }
    for (const auto& [name, value] : options.env) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : envText) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) return nullptr;
    if (pid == 0) {
        setpgid(0, 0);
        const int devNull = open("/dev/null", O_RDWR);
        if (options.stdioFd >= 0) {
            dup2(options.stdioFd, 0);
            dup2(options.stdioFd, 1);
        } else {
            dup2(devNull, 0);
            dup2(options.captureStdout ? pipeFds[1] : devNull, 1);
        }
        dup2(devNull, 2);
        if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (options.captureStdout) close(pipeFds[1]);
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, pipeFds[0]));
}

std::unique_ptr<ChildProcess> ChildProcess::StartSimulator(const std::vector<std::string>& simulator, int com,
                                                           const std::string& dir,
                                                           const std::vector<std::string>& options,
                                                           const std::vector<std::pair<std::string, std::string>>& env) {
    std::vector<std::string> argv = simulator;
    argv.insert(argv.end(), {"--com", std::to_string(com), "--dir", dir});
    argv.insert(argv.end(), options.begin(), options.end());
    auto child = Start({argv, "", env, -1, true});
    const auto ready = child ? child->ReadLine(std::chrono::seconds(5)) : std::nullopt;
    if (!ready || ready->rfind("ready COM" + std::to_string(com) + " ", 0) != 0) return nullptr;
    return child;
}

ChildProcess::~ChildProcess() {
    if (!status_) {
        kill(pid_, SIGKILL);
        Wait(std::chrono::seconds(5));
    }
    if (outFd_ >= 0) close(outFd_);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = SteadyClock::now() + timeout;
    for (;;) {
        const auto newline = pending_.find('\n');
        if (newline != std::string::npos) {
            std::string line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
        if (outFd_ < 0 || left <= 0) return std::nullopt;
        pollfd p{outFd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char chunk[256];
        const ssize_t n = read(outFd_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = SteadyClock::now() + timeout;
    while (!status_) {
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        } else if (done < 0 || SteadyClock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return status_;
}

void ChildProcess::StopReading() {
    if (outFd_ >= 0) close(outFd_);
    outFd_ = -1;
}

void ChildProcess::Signal(int signal) {
    if (!status_) kill(pid_, signal);
}

}  // namespace bayhaul::sim
