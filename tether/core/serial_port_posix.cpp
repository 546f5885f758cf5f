#include "tether/core/serial_port.h"

#include "tether/core/fd_line.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <optional>
#include <string>

namespace bayhaul::tether {
namespace {

// Where serial programs put their UUCP-style lock files ("LCK..ttyUSB0",
// holding the owner's process number), which they honour before opening.
constexpr char kLockFolder[] = "/var/lock";

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

// "/var/lock/LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3,
// named after the device itself when `device` is a link to it.
std::string LockFileFor(const std::string& device) {
    char* real = realpath(device.c_str(), nullptr);
    std::string name = real ? real : device;
    std::free(real);
    if (name.rfind("/dev/", 0) == 0) name.erase(0, 5);
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return std::string(kLockFolder) + "/LCK.." + name;
}

// The process a lock file names, if it names one.
std::optional<pid_t> LockOwner(const std::string& lockFile) {
    FILE* file = std::fopen(lockFile.c_str(), "re");
    if (!file) return std::nullopt;
    char text[32] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[got] = '\0';
    const long pid = std::strtol(text, nullptr, 10);  // ASCII, as UUCP programs write it
    if (pid <= 0) return std::nullopt;
    return static_cast<pid_t>(pid);
}

// Whether `pid` is a process that may still use a port. One that has ended
// but was not yet reaped (a zombie: a killed program's worker, waiting for
// its new parent) holds nothing open any more.
bool Running(pid_t pid) {
    if (kill(pid, 0) != 0 && errno == ESRCH) return false;
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* stat = std::fopen(path, "re");
    if (stat == nullptr) return true;  // no /proc to ask: it runs
    char line[512] = {};
    const std::size_t got = std::fread(line, 1, sizeof line - 1, stat);
    std::fclose(stat);
    // "PID (COMMAND) STATE ...": the state follows the last ')'.
    const char* end = std::strrchr(line, ')');
    return !(got > 0 && end != nullptr && end[1] == ' ' && end[2] == 'Z');
}

// Takes the port's lock file for this process: false when another running
// process holds it. A lock of a process that has ended is removed first; a
// lock folder we may not write is no reason to refuse the port.
bool TakeLockFile(const std::string& lockFile) {
    if (const auto owner = LockOwner(lockFile)) {
        if (*owner != getpid() && Running(*owner)) return false;
        unlink(lockFile.c_str());
    }
    const int fd = open(lockFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno != EEXIST;  // a lock taken meanwhile is another's
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    const bool written = write(fd, text, static_cast<std::size_t>(length)) == length;
    close(fd);
    if (!written) unlink(lockFile.c_str());
    return true;
}

// An open serial device: on closing it gives up its exclusive use, which
// otherwise stays on the device for as long as anybody holds it open (the
// other end of a pseudo-terminal), and its lock file.
class SerialLine final : public FdLine {
public:
    SerialLine(int fd, std::string lockFile) : FdLine(fd), lockFile_(std::move(lockFile)) {}
    ~SerialLine() override {
        ioctl(fd(), TIOCNXCL);
        if (!lockFile_.empty() && LockOwner(lockFile_) == getpid()) unlink(lockFile_.c_str());
    }

    void KeepLockFile(std::string lockFile) { lockFile_ = std::move(lockFile); }

private:
    std::string lockFile_;
};

}  // namespace

OpenedPort OpenSerialPort(const std::string& device, int bitsPerSecond) {
    const speed_t speed = SpeedConstant(bitsPerSecond);
    if (speed == 0) return {nullptr, OpenError::Failed};
    const std::string lockFile = LockFileFor(device);
    if (const auto owner = LockOwner(lockFile); owner && *owner != getpid() && Running(*owner)) {
        return {nullptr, OpenError::Busy};
    }
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY) return {nullptr, OpenError::Busy};
        if (errno == EACCES || errno == EPERM) return {nullptr, OpenError::NoPermission};
        return {nullptr, OpenError::Failed};
    }
    auto line = std::make_unique<SerialLine>(fd, "");
    // An advisory lock other serial programs honour, then the device's
    // exclusive use, which stops any other open but root's.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return {nullptr, errno == EWOULDBLOCK ? OpenError::Busy : OpenError::Failed};
    if (!TakeLockFile(lockFile)) return {nullptr, OpenError::Busy};
    line->KeepLockFile(lockFile);
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
