// POSIX: descriptors, errno, and on Linux files without a name (O_TMPFILE).
#include "files/file_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>

namespace bayhaul::file_platform {

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

int Fd(Native file) {
    return static_cast<int>(file);
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

}  // namespace

Existing Inspect(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, S_ISREG(st.st_mode), (st.st_mode & S_IWUSR) == 0, static_cast<unsigned>(st.st_mode & 07777)};
}

FileResult LastFailure(const std::string& what) {
    const int error = errno != 0 ? errno : EIO;
    return {false, what + ": " + std::strerror(error), ProblemOf(error)};
}

bool PathFits(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const long nameMax = ::pathconf(FolderOf(path).c_str(), _PC_NAME_MAX);
    if (path.size() < PATH_MAX && (nameMax <= 0 || name.size() <= static_cast<std::size_t>(nameMax))) return true;
    errno = ENAMETOOLONG;
    return false;
}

Native CreateNameless(const std::string& folder, bool& refused) {
    refused = false;
    // Linking it in later goes through /proc, which must be there.
    if (::access("/proc/self/fd", X_OK) != 0) return kNone;
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);  // less the umask
    if (fd >= 0) return fd;
    refused = errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL;
    return kNone;
}

bool LinkNameless(Native file, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(Fd(file));
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

Native CreateExclusive(const std::string& path, bool& existed) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);  // less the umask
    existed = fd < 0 && errno == EEXIST;
    return fd < 0 ? kNone : fd;
}

Native OpenToWrite(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    return fd < 0 ? kNone : fd;
}

Native OpenToFlush(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd < 0 ? kNone : fd;
}

Native OpenOwn(const std::string& path, bool append, Obstacle& obstacle) {
    obstacle = Obstacle::None;
    // Without blocking, so a FIFO at the path cannot hold the open up.
    const int flags = (append ? O_RDWR | O_APPEND | O_CREAT : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, 0666);  // less the umask
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
    const int error = fd >= 0 ? 0 : errno;
    if (fd >= 0) ::close(fd);
    if (::lstat(path.c_str(), &st) == 0)
        obstacle = S_ISLNK(st.st_mode) ? Obstacle::Link : S_ISREG(st.st_mode) ? Obstacle::None : Obstacle::NotAFile;
    errno = error != 0 ? error : EIO;
    return kNone;
}

std::optional<std::uint64_t> SizeOf(Native file) {
    struct stat st {};
    if (::fstat(Fd(file), &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool ReadAt(Native file, std::uint64_t offset, void* data, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n =
            ::pread(Fd(file), static_cast<char*>(data) + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool Write(Native file, const void* data, std::size_t size) {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(Fd(file), bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Truncate(Native file, std::uint64_t size) {
    return ::ftruncate(Fd(file), static_cast<off_t>(size)) == 0 &&
           ::lseek(Fd(file), static_cast<off_t>(size), SEEK_SET) >= 0;
}

std::optional<char> LastByte(Native file) {
    struct stat st {};
    char last = 0;
    if (::fstat(Fd(file), &st) != 0 || st.st_size == 0 || ::pread(Fd(file), &last, 1, st.st_size - 1) != 1)
        return std::nullopt;
    return last;
}

bool TakeMode(Native file, const Existing& replaced) {
    return ::fchmod(Fd(file), static_cast<mode_t>(replaced.mode)) == 0;
}

bool Flush(Native file) {
    return ::fsync(Fd(file)) == 0;
}

bool Close(Native file) {
    return ::close(Fd(file)) == 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    FlushFolder(to);
    return true;
}

bool Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    DIR* entries = ::opendir(folder.c_str());
    if (entries == nullptr) return names;
    while (const dirent* entry = ::readdir(entries)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) names.emplace_back(entry->d_name);
    }
    ::closedir(entries);
    return names;
}

unsigned long ThisProcess() {
    return static_cast<unsigned long>(::getpid());
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

bool ProcessRuns(unsigned long process) {
    return ::kill(static_cast<pid_t>(process), 0) == 0 || errno != ESRCH;
}

std::string ProcessStart(unsigned long process) {
    // The computer's boot, and the process's start in clock ticks since it:
    // the 22nd field of /proc/<pid>/stat, counted after the name's ")".
    // (Files of /proc tell no size, so they are read as streams.)
    std::ifstream bootFile("/proc/sys/kernel/random/boot_id");
    std::ifstream statFile("/proc/" + std::to_string(process) + "/stat");
    std::string boot, stat;
    if (!std::getline(bootFile, boot) || !std::getline(statFile, stat)) return "";
    const std::size_t name = stat.rfind(')');
    if (name == std::string::npos) return "";
    std::istringstream fields(stat.substr(name + 1));
    std::string start;
    int field = 3;
    while (field <= 22 && fields >> start) ++field;
    return field == 23 ? boot + "/" + start : "";
}

std::optional<std::string> ReadRegular(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::string> text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        text.emplace(std::min(maxBytes, static_cast<std::size_t>(st.st_size)), '\0');
        std::size_t got = 0;
        while (got < text->size()) {
            const ssize_t n = ::read(fd, text->data() + got, text->size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        text->resize(got);
    }
    ::close(fd);
    return text;
}

std::string FollowLinks(const std::string& path) {
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

}  // namespace bayhaul::file_platform
