#include "press/press_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace bayhaul {

namespace {

constexpr char kLockFile[] = "press.lock";

class FileLock final : public PressLock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { ::close(fd_); }  // which releases the lock

private:
    int fd_;
};

std::string HolderIn(int fd) {
    char text[512] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    return HolderOf(std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0));
}

// Says who holds the lock now: the new line first, then the file cut to
// it, so a reader never finds it empty.
void Describe(int fd, const std::string& holder) {
    const std::string line = holder + "\n";
    // Should this fail, only the description is lost: the lock holds.
    if (::pwrite(fd, line.data(), line.size(), 0) == static_cast<ssize_t>(line.size())) {
        [[maybe_unused]] const int cut = ::ftruncate(fd, static_cast<off_t>(line.size()));
    }
}

std::string CannotLock(const std::string& what, int error) {
    return "Cannot make sure that no other press runs: " + what + ": " + std::strerror(error) + ".";
}

}  // namespace

PressLockTaker FilePressLock(std::string folder, std::string who) {
    return [folder = std::move(folder), who = std::move(who)](std::string& why) -> std::unique_ptr<PressLock> {
        if (folder.empty()) {
            why =
                "Cannot make sure that no other press runs: there is no folder for Bayhaul's state (HOME is not set).";
            return nullptr;
        }
        std::error_code made;
        std::filesystem::create_directories(folder, made);
        const std::string path = folder + "/" + kLockFile;
        // Not through a link, and without blocking on a FIFO put there.
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            const int error = errno;
            struct stat st {};
            why = error == ELOOP && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)
                      ? NotOurLockText(path, LockObstacle::Link)
                      : CannotLock("cannot open " + path, error);
            return nullptr;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
            why = NotOurLockText(path, S_ISREG(st.st_mode) ? LockObstacle::OtherName : LockObstacle::NotAFile);
            ::close(fd);
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            why = error == EWOULDBLOCK ? PressRunningText(HolderIn(fd)) : CannotLock("cannot lock " + path, error);
            ::close(fd);
            return nullptr;
        }
        Describe(fd, PressHolderText(who, static_cast<unsigned long>(::getpid())));
        return std::make_unique<FileLock>(fd);
    };
}

}  // namespace bayhaul
