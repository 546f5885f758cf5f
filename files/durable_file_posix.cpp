#include "files/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <utility>

namespace bayhaul {

struct DurableFile::Handle {
    int fd = -1;
};

namespace {

FileResult Failure(const std::string& what, int error) {
    return {false, what + ": " + std::strerror(error), error == EACCES || error == EPERM};
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The entry of a rename survives a power cut only once its folder is
// flushed; a failure here does not undo the rename, so it is not reported.
void FlushFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Why `target` may not be replaced, if it may not; otherwise whether it
// exists and its permission bits.
struct Replaced {
    bool exists = false;
    mode_t mode = 0;
};
std::optional<FileResult> CheckReplaceable(const std::string& target, Replaced& replaced) {
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) return std::nullopt;
    if (!S_ISREG(old.st_mode)) return FileResult{false, target + " is not a regular file", false};
    if ((old.st_mode & S_IWUSR) == 0) return FileResult{false, target + " is read-only", false};
    replaced = {true, old.st_mode & 07777};
    return std::nullopt;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

FileResult RenameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return Failure("cannot replace " + to, errno);
    FlushFolder(to);
    return {};
}

}  // namespace

DurableFile::DurableFile(std::unique_ptr<Handle> handle, std::string temp, std::string target)
    : handle_(std::move(handle)), temp_(std::move(temp)), target_(std::move(target)) {}

std::unique_ptr<DurableFile> DurableFile::Create(const std::string& target, FileResult& result) {
    Replaced replaced;
    if (auto refused = CheckReplaceable(target, replaced)) {
        result = *refused;
        return nullptr;
    }
    std::random_device seed;
    auto handle = std::make_unique<Handle>();
    std::string temp;
    for (int attempt = 0; attempt < 16 && handle->fd < 0; ++attempt) {
        temp = target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(seed() % 1000000);
        handle->fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);  // less the umask
        if (handle->fd < 0 && errno != EEXIST) break;
    }
    if (handle->fd < 0) {
        result = Failure("cannot create a file beside " + target, errno);
        return nullptr;
    }
    if (replaced.exists && ::fchmod(handle->fd, replaced.mode) != 0) {
        result = Failure("cannot give " + temp + " the permissions of " + target, errno);
        ::close(handle->fd);
        ::unlink(temp.c_str());
        return nullptr;
    }
    result = {};
    return std::unique_ptr<DurableFile>(new DurableFile(std::move(handle), temp, target));
}

DurableFile::~DurableFile() {
    if (handle_->fd >= 0) ::close(handle_->fd);
    if (!committed_) ::unlink(temp_.c_str());
}

bool DurableFile::Append(const void* data, std::size_t size) {
    return handle_->fd >= 0 && WriteAll(handle_->fd, data, size);
}

bool DurableFile::Restart() {
    return handle_->fd >= 0 && ::ftruncate(handle_->fd, 0) == 0 && ::lseek(handle_->fd, 0, SEEK_SET) == 0;
}

FileResult DurableFile::Commit() {
    if (handle_->fd < 0) return {false, temp_ + " is closed", false};
    const int fd = std::exchange(handle_->fd, -1);
    const bool flushed = ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 || !flushed) return Failure("cannot write " + target_, flushed ? errno : error);
    const FileResult renamed = RenameOver(temp_, target_);
    committed_ = renamed.ok;
    return renamed;
}

FileResult MoveFileOver(const std::string& from, const std::string& to) {
    Replaced replaced;
    if (auto refused = CheckReplaceable(to, replaced)) return *refused;
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Failure("cannot open " + from, errno);
    const bool flushed = ::fsync(fd) == 0 && (!replaced.exists || ::fchmod(fd, replaced.mode) == 0);
    const int error = errno;
    ::close(fd);
    if (!flushed) return Failure("cannot prepare " + from, error);
    return RenameOver(from, to);
}

FileResult OverwriteInPlace(const std::string& path, const std::string& content) {
    Replaced replaced;
    if (auto refused = CheckReplaceable(path, replaced)) return *refused;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Failure("cannot open " + path, errno);
    // Written over the old bytes and only then cut to length, so a short
    // write leaves as much of the old file as possible.
    const bool written = WriteAll(fd, content.data(), content.size()) &&
                         ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return written ? FileResult{} : Failure("cannot write " + path, error);
}

std::string FinalPath(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {  // as many as the system itself follows
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0) return current;
        const std::string next(target, static_cast<std::size_t>(length));
        current = next.front() == '/' || current.find('/') == std::string::npos ? next : FolderOf(current) + "/" + next;
    }
    return current;
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::string> text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        text.emplace(maxBytes, '\0');
        std::size_t got = 0;
        while (got < maxBytes) {
            const ssize_t n = ::read(fd, text->data() + got, maxBytes - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        text->resize(got);
    }
    ::close(fd);
    return text;
}

}  // namespace bayhaul
