#include "files/durable_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

namespace bayhaul {

struct DurableFile::Handle {
    int fd = -1;
    bool nameless = false;  // made with O_TMPFILE: it gets a name only at Commit
};

namespace {

FileProblem ProblemOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return FileProblem::NoPermission;
        case EROFS:
            return FileProblem::ReadOnly;
        case ENOSPC:
        case EDQUOT:
            return FileProblem::DiskFull;
        case ENAMETOOLONG:
            return FileProblem::PathTooLong;
        default:
            return FileProblem::Other;
    }
}

FileResult Failure(const std::string& what, int error) {
    return {false, what + ": " + std::strerror(error), ProblemOf(error)};
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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
    if (!S_ISREG(old.st_mode)) return FileResult{false, target + " is not a regular file", FileProblem::InTheWay};
    if ((old.st_mode & S_IWUSR) == 0) return FileResult{false, target + " is read-only", FileProblem::InTheWay};
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

// The prefix of the names of temporary files for `target`.
std::string TemporaryPrefix(const std::string& target) {
    return target + ".new-";
}

std::string TemporaryName(const std::string& target, std::random_device& seed) {
    return TemporaryPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(seed() % 1000000);
}

// Removes the named temporary files of `target` that processes which no
// longer run left behind (killed before they could clean up).
void RemoveLeftovers(const std::string& target) {
    DIR* folder = ::opendir(FolderOf(target).c_str());
    if (folder == nullptr) return;
    const std::string prefix = NameOf(TemporaryPrefix(target));
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const char* digits = name.c_str() + prefix.size();
        char* end = nullptr;
        const long pid = std::strtol(digits, &end, 10);
        if (end == digits || *end != '-' || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;  // alive, or not ours to tell
        ::unlink((FolderOf(target) + "/" + name).c_str());
    }
    ::closedir(folder);
}

// Whether the longest name this file may get fits the system's limits.
bool NamesFit(const std::string& target) {
    const std::string longest = TemporaryPrefix(target) + std::to_string(INT_MAX) + "-999999";
    const long nameMax = ::pathconf(FolderOf(target).c_str(), _PC_NAME_MAX);
    return longest.size() < PATH_MAX && (nameMax <= 0 || NameOf(longest).size() <= static_cast<std::size_t>(nameMax));
}

// A file without a name in the target's folder, or -1 where the file system
// or the system cannot make one (then `error` is 0) or the folder refuses
// files (then `error` says why).
int OpenNameless(const std::string& target, int& error) {
    error = 0;
    // Linking it in later goes through /proc, which must be there.
    if (::access("/proc/self/fd", X_OK) != 0) return -1;
    const int fd = ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);  // less the umask
    if (fd >= 0) return fd;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) error = errno;
    return -1;
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
    if (!NamesFit(target)) {
        result = Failure("cannot create a file beside " + target, ENAMETOOLONG);
        return nullptr;
    }
    RemoveLeftovers(target);
    auto handle = std::make_unique<Handle>();
    std::string temp;
    int error = 0;
    handle->fd = OpenNameless(target, error);
    handle->nameless = handle->fd >= 0;
    std::random_device seed;
    for (int attempt = 0; attempt < 16 && handle->fd < 0 && error == 0; ++attempt) {
        temp = TemporaryName(target, seed);
        handle->fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);  // less the umask
        if (handle->fd < 0 && errno != EEXIST) error = errno;
    }
    if (handle->fd < 0) {
        result = Failure("cannot create a file beside " + target, error != 0 ? error : EEXIST);
        return nullptr;
    }
    if (replaced.exists && ::fchmod(handle->fd, replaced.mode) != 0) {
        result = Failure("cannot give the new " + target + " the permissions of the old one", errno);
        ::close(handle->fd);
        if (!handle->nameless) ::unlink(temp.c_str());
        return nullptr;
    }
    result = {};
    return std::unique_ptr<DurableFile>(new DurableFile(std::move(handle), temp, target));
}

DurableFile::~DurableFile() {
    if (handle_->fd >= 0) ::close(handle_->fd);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

bool DurableFile::Append(const void* data, std::size_t size) {
    if (handle_->fd >= 0 && WriteAll(handle_->fd, data, size)) return true;
    failure_ = Failure("cannot write " + target_, handle_->fd >= 0 ? errno : EBADF);
    return false;
}

bool DurableFile::Restart() {
    if (handle_->fd >= 0 && ::ftruncate(handle_->fd, 0) == 0 && ::lseek(handle_->fd, 0, SEEK_SET) == 0) return true;
    failure_ = Failure("cannot write " + target_, handle_->fd >= 0 ? errno : EBADF);
    return false;
}

FileResult DurableFile::Commit() {
    if (handle_->fd < 0) return {false, target_ + " is closed", FileProblem::Other};
    const int fd = std::exchange(handle_->fd, -1);
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return Failure("cannot write " + target_, error);
    }
    // A nameless file is linked in under a temporary name first: a link
    // cannot replace the old target, a rename can.
    if (handle_->nameless) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        std::random_device seed;
        int error = EEXIST;
        for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
            temp_ = TemporaryName(target_, seed);
            error = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
        }
        if (error != 0) {
            temp_.clear();
            ::close(fd);
            return Failure("cannot write " + target_, error);
        }
    }
    if (::close(fd) != 0) return Failure("cannot write " + target_, errno);
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

FileResult AppendDurably(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);  // less the umask
    if (fd < 0) return Failure("cannot open " + path, errno);
    struct stat st {};
    char last = '\n';
    const bool read = ::fstat(fd, &st) == 0 && (st.st_size == 0 || ::pread(fd, &last, 1, st.st_size - 1) == 1);
    const std::string whole = (read && last != '\n' ? "\r\n" : "") + text;
    const bool written = read && WriteAll(fd, whole.data(), whole.size()) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return written ? FileResult{} : Failure("cannot write " + path, error);
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
