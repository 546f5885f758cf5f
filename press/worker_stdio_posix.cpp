#include "press/worker_stdio.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace bayhaul {

namespace {

class DescriptorChannel final : public WorkerChannel {
public:
    DescriptorChannel(int in, int out) : in_(in), out_(out) {}
    ~DescriptorChannel() override {
        close(in_);
        close(out_);
    }

    bool Send(const std::string& bytes) override {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t wrote = write(out_, bytes.data() + sent, bytes.size() - sent);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) return false;
            sent += static_cast<std::size_t>(wrote);
        }
        return true;
    }

    std::size_t Receive(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = read(in_, buffer, size);
            if (got < 0 && errno == EINTR) continue;
            return got > 0 ? static_cast<std::size_t>(got) : 0;
        }
    }

    bool HasInput() override {
        pollfd wait{in_, POLLIN, 0};
        return poll(&wait, 1, 0) > 0;
    }

private:
    const int in_, out_;
};

}  // namespace

std::unique_ptr<WorkerChannel> TakeStandardChannel() {
    const int in = fcntl(0, F_DUPFD_CLOEXEC, 3);
    const int out = fcntl(1, F_DUPFD_CLOEXEC, 3);
    // Standard input reads nothing, and standard output goes where errors go.
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing >= 0) {
        dup2(nothing, 0);
        close(nothing);
    }
    dup2(2, 1);
    return std::make_unique<DescriptorChannel>(in, out);
}

}  // namespace bayhaul
