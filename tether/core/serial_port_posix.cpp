#include "tether/core/serial_port.h"

#include "tether/core/fd_line.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace bayhaul::tether {
namespace {

// The termios speed constant for 9600 or 115200; 0 for anything else.
speed_t SpeedConstant(int bitsPerSecond) {
    switch (bitsPerSecond) {
        case 9600:
            return B9600;
        case 115200:
            return B115200;
        default:
            return 0;
    }
}

}  // namespace

OpenedPort OpenSerialPort(const std::string& device, int bitsPerSecond) {
    const speed_t speed = SpeedConstant(bitsPerSecond);
    if (speed == 0) return {nullptr, OpenError::Failed};
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY) return {nullptr, OpenError::Busy};
        if (errno == EACCES || errno == EPERM) return {nullptr, OpenError::NoPermission};
        return {nullptr, OpenError::Failed};
    }
    auto line = std::make_unique<FdLine>(fd);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return {nullptr, errno == EWOULDBLOCK ? OpenError::Busy : OpenError::Failed};
    if (ioctl(fd, TIOCEXCL) != 0) return {nullptr, OpenError::Failed};

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return {nullptr, OpenError::Failed};
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return {nullptr, OpenError::Failed};
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return {nullptr, OpenError::Failed};
    tcflush(fd, TCIOFLUSH);
    return {std::move(line), OpenError::None};
}

}  // namespace bayhaul::tether
