// A ByteLine over a POSIX file descriptor (a serial device or either side
// of a pseudo-terminal), non-blocking, with waits done by poll().
#pragma once

#include "tether/core/byte_line.h"

namespace bayhaul::tether {

class FdLine : public ByteLine {
public:
    // Takes ownership of fd and closes it on destruction.
    explicit FdLine(int fd);
    ~FdLine() override;
    FdLine(const FdLine&) = delete;
    FdLine& operator=(const FdLine&) = delete;

    ReadResult Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) override;
    bool Write(const std::uint8_t* data, std::size_t size) override;

    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace bayhaul::tether
