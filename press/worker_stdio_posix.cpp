#include "press/worker_stdio.h"

#include "press/pipe_io.h"

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

    bool Send(const std::string& bytes) override { return pipe_io::WriteAll(out_, bytes); }
    std::size_t Receive(char* buffer, std::size_t size) override { return pipe_io::ReadSome(in_, buffer, size); }

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
