#include "tether/core/serial_port.h"

#include "tether/core/fd_line.h"
#include "ports/uucp_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

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

// Takes the port's lock file for this process: false when another process
// holds it, or is taking it. A stale lock (its process has ended, or it
// never got a number) is removed first; a lock folder we may not write is
// no reason to refuse the port.
bool TakeLockFile(const std::string& lockFile) {
    const uucp::Lock lock = uucp::ReadLock(lockFile);
    if (lock.state == uucp::Lock::State::Held || lock.state == uucp::Lock::State::Making) return false;
    if (lock.state == uucp::Lock::State::Stale) unlink(lockFile.c_str());
    const int fd = open(lockFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno != EEXIST;  // a lock taken meanwhile, or one we may not remove, is another's
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    const bool written = write(fd, text, static_cast<std::size_t>(length)) == length;
    close(fd);
    if (!written) unlink(lockFile.c_str());
    return true;
}

// An open serial device: on closing it gives up its exclusive use if it
// took it, which otherwise stays on the device for as long as anybody holds
// it open (the other end of a pseudo-terminal), and its lock file. An
// opener that was refused leaves both as they are: they are the holder's.
class SerialLine final : public FdLine {
public:
    explicit SerialLine(int fd) : FdLine(fd) {}
    ~SerialLine() override {
        if (exclusive_) ioctl(fd(), TIOCNXCL);
        if (!lockFile_.empty() && uucp::ReadLock(lockFile_).process == getpid()) unlink(lockFile_.c_str());
    }

    void KeepLockFile(std::string lockFile) { lockFile_ = std::move(lockFile); }
    bool TakeExclusiveUse() { return exclusive_ = ioctl(fd(), TIOCEXCL) == 0; }

private:
    std::string lockFile_;
    bool exclusive_ = false;
};

}  // namespace

OpenedPort OpenSerialPort(const std::string& device, int bitsPerSecond) {
    const speed_t speed = SpeedConstant(bitsPerSecond);
    if (speed == 0) return {nullptr, OpenError::Failed};
    const std::string lockFile = uucp::LockFileFor(device);
    if (const auto state = uucp::ReadLock(lockFile).state;
        state == uucp::Lock::State::Held || state == uucp::Lock::State::Making) {
        return {nullptr, OpenError::Busy};
    }
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY) return {nullptr, OpenError::Busy};
        if (errno == EACCES || errno == EPERM) return {nullptr, OpenError::NoPermission};
        return {nullptr, OpenError::Failed};
    }
    auto line = std::make_unique<SerialLine>(fd);
    // An advisory lock other serial programs honour, then the device's
    // exclusive use, which stops any other open but root's.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return {nullptr, errno == EWOULDBLOCK ? OpenError::Busy : OpenError::Failed};
    if (!TakeLockFile(lockFile)) return {nullptr, OpenError::Busy};
    line->KeepLockFile(lockFile);
    if (!line->TakeExclusiveUse()) return {nullptr, OpenError::Failed};

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
