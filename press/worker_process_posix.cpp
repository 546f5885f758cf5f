// Workers as child processes on POSIX: each in a process group of its own,
// so a Ctrl+C at the terminal reaches the press alone, which ends its
// workers itself; each killed by the kernel when the press dies
// (PR_SET_PDEATHSIG), so none outlives it.
#include "press/worker_link.h"

#include "press/pipe_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace bayhaul {

namespace {

class ProcessLink final : public WorkerLink {
public:
    ProcessLink(pid_t pid, int toWorker, int fromWorker) : pid_(pid), toWorker_(toWorker), fromWorker_(fromWorker) {}
    ~ProcessLink() override {
        End();
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        close(toWorker_);
        close(fromWorker_);
    }

    bool Send(const std::string& bytes) override { return pipe_io::WriteAll(toWorker_, bytes); }
    std::size_t Receive(char* buffer, std::size_t size) override {
        return pipe_io::ReadSome(fromWorker_, buffer, size);
    }

    void End() override {
        // The group: the worker and anything it started. The process is
        // not reaped before the destructor, so its number stays its own.
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
    }

private:
    const pid_t pid_;
    const int toWorker_, fromWorker_;
};

class ProcessStarter final : public WorkerStarter {
public:
    explicit ProcessStarter(std::string program) : program_(std::move(program)) {
        // A worker that has gone must not end the press with SIGPIPE.
        signal(SIGPIPE, SIG_IGN);
    }

    std::unique_ptr<WorkerLink> Start(const std::vector<std::string>& arguments, std::string& why) override {
        if (access(program_.c_str(), X_OK) != 0) {
            why = "the worker program " + program_ + " cannot be run: " + std::strerror(errno);
            return nullptr;
        }
        std::vector<std::string> words{program_};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);

        int toWorker[2], fromWorker[2];
        if (pipe2(toWorker, O_CLOEXEC) != 0) {
            why = std::string("no pipe for a worker: ") + std::strerror(errno);
            return nullptr;
        }
        if (pipe2(fromWorker, O_CLOEXEC) != 0) {
            why = std::string("no pipe for a worker: ") + std::strerror(errno);
            close(toWorker[0]);
            close(toWorker[1]);
            return nullptr;
        }
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            // Only calls safe after a fork in a process with threads.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            setpgid(0, 0);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            signal(SIGPIPE, SIG_DFL);
            dup2(toWorker[0], 0);
            dup2(fromWorker[1], 1);
            close_range(3, ~0U, 0);
            execv(argv[0], argv.data());
            _exit(127);
        }
        const int error = errno;
        close(toWorker[0]);
        close(fromWorker[1]);
        if (pid < 0) {
            close(toWorker[1]);
            close(fromWorker[0]);
            why = std::string("a worker could not be started: ") + std::strerror(error);
            return nullptr;
        }
        setpgid(pid, pid);  // also here, so the group exists before End() may need it
        return std::make_unique<ProcessLink>(pid, toWorker[1], fromWorker[0]);
    }

private:
    const std::string program_;
};

}  // namespace

std::unique_ptr<WorkerStarter> ProcessWorkers(std::string program) {
    return std::make_unique<ProcessStarter>(std::move(program));
}

}  // namespace bayhaul
