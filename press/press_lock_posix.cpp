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
    std::string holder(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\0')) holder.pop_back();
    return holder;
}

std::string CannotLock(const std::string& what, int error) {
    return "Cannot make sure that no other press runs: " + what + ": " + std::strerror(error) + ".";
}

}  // namespace

PressLockTaker FilePressLock(std::string folder, std::string who) {
    return [folder = std::move(folder), who = std::move(who)](std::string& why) -> std::unique_ptr<PressLock> {
        if (folder.empty()) {
            why = "Cannot make sure that no other press runs: there is no folder for Bayhaul's state (HOME is not set).";
            return nullptr;
        }
        std::error_code made;
        std::filesystem::create_directories(folder, made);
        const std::string path = folder + "/" + kLockFile;
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            why = CannotLock("cannot open " + path, errno);
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            why = error == EWOULDBLOCK ? PressRunningText(HolderIn(fd)) : CannotLock("cannot lock " + path, error);
            ::close(fd);
            return nullptr;
        }
        // Should this fail, only the description is lost: the lock holds.
        const std::string holder = PressHolderText(HolderIn(fd), who, static_cast<unsigned long>(::getpid()));
        if (!holder.empty()) {
            const std::string line = holder + "\n";
            [[maybe_unused]] const bool described =
                ::ftruncate(fd, 0) == 0 && ::pwrite(fd, line.data(), line.size(), 0) >= 0;
        }
        return std::make_unique<FileLock>(fd);
    };
}

}  // namespace bayhaul
