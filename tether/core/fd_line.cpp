#include "tether/core/fd_line.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace bayhaul::tether {
namespace {
constexpr int kWriteStallMs = 10000;  // a line that takes no byte for this long is dead
}

FdLine::FdLine(int fd) : fd_(fd) {
    const int flags = fcntl(fd_, F_GETFL);
    if (flags >= 0) fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
}

FdLine::~FdLine() {
    if (fd_ >= 0) close(fd_);
}

ReadResult FdLine::Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, timeoutMs);
    if (ready < 0) return {errno == EINTR ? ReadStatus::Timeout : ReadStatus::Closed, 0};
    if (ready == 0) return {ReadStatus::Timeout, 0};
    const ssize_t n = read(fd_, buffer, max);
    if (n > 0) return {ReadStatus::Data, static_cast<std::size_t>(n)};
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return {ReadStatus::Timeout, 0};
    return {ReadStatus::Closed, 0};  // end of file, EIO after a hang-up, or POLLHUP/POLLERR
}

bool FdLine::Write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd_, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        pollfd p{fd_, POLLOUT, 0};
        const int ready = poll(&p, 1, kWriteStallMs);
        if (ready <= 0 && !(ready < 0 && errno == EINTR)) return false;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
    }
    return true;
}

}  // namespace bayhaul::tether
