#include "press/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace bayhaul {

namespace {

class FlockedFile final : public HeldLockFile {
public:
    explicit FlockedFile(int fd) : fd_(fd) {}
    ~FlockedFile() override { ::close(fd_); }  // which releases the lock

    void Describe(const std::string& text) override {
        // The new text first, then the file cut to it, so a reader never finds it empty.
        if (::pwrite(fd_, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size())) {
            [[maybe_unused]] const int cut = ::ftruncate(fd_, static_cast<off_t>(text.size()));
        }
    }

private:
    int fd_;
};

std::string Failed(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

}  // namespace

LockFileTaken TakeLockFile(const std::string& path, LockKind kind, bool wait) {
    // Not through a link, and without blocking on a FIFO put there.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return {nullptr, false, Failed("cannot open", path, errno)};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
        ::close(fd);
        return {nullptr, false, "cannot lock " + path + ": it is not a file of Bayhaul's own; remove it"};
    }
    const int operation = (kind == LockKind::Exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
    int locked;
    do {
        locked = ::flock(fd, operation);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return {nullptr, true, ""};
        return {nullptr, false, Failed("cannot lock", path, error)};
    }
    return {std::make_unique<FlockedFile>(fd), false, ""};
}

std::string ReadLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return "";
    char text[4096];
    const ssize_t got = ::pread(fd, text, sizeof text, 0);
    ::close(fd);
    return std::string(text, got > 0 ? static_cast<std::size_t>(got) : 0);
}

unsigned long ThisProcessNumber() {
    return static_cast<unsigned long>(::getpid());
}

}  // namespace bayhaul
