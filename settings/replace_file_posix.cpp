#include "settings/replace_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace bayhaul {

namespace {

ReplaceFileResult Failure(const std::string& what, int error) {
    return {false, what + ": " + std::strerror(error)};
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a new, uniquely named file beside `path` with the default
// permissions (0666 less the umask). Returns its descriptor, or -1.
int CreateTempBeside(const std::string& path, std::string& tempPath) {
    std::random_device seed;
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(seed() % 1000000);
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The folder entry of a rename survives a power cut only once the folder
// itself is flushed; failure here does not undo the rename, so it is ignored.
void FlushFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// What stands at a path that is about to be replaced.
struct Replaced {
    bool exists = false;
    mode_t mode = 0;  // permission bits of the file there
};

// Looks at `path`; fills `replaced` and returns "" when it may be replaced,
// otherwise why not.
std::string CheckReplaceable(const std::string& path, Replaced& replaced) {
    struct stat old {};
    replaced.exists = ::stat(path.c_str(), &old) == 0;
    if (!replaced.exists) return "";
    if (!S_ISREG(old.st_mode)) return path + " is not a regular file";
    if ((old.st_mode & S_IWUSR) == 0) return path + " is read-only";
    replaced.mode = old.st_mode & 07777;
    return "";
}

ReplaceFileResult RenameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return Failure("cannot replace " + to, errno);
    FlushFolder(FolderOf(to));
    return {};
}

}  // namespace

ReplaceFileResult ReplaceFileContent(const std::string& path, const std::string& content) {
    Replaced replaced;
    if (std::string why = CheckReplaceable(path, replaced); !why.empty()) return {false, why};

    std::string temp;
    int fd = CreateTempBeside(path, temp);
    if (fd < 0) return Failure("cannot create a file beside " + path, errno);

    bool written = WriteAll(fd, content) && (!replaced.exists || ::fchmod(fd, replaced.mode) == 0) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        return Failure("cannot write " + path, error);
    }
    ReplaceFileResult result = RenameOver(temp, path);
    if (!result.ok) ::unlink(temp.c_str());
    return result;
}

ReplaceFileResult MoveFileOver(const std::string& from, const std::string& to) {
    Replaced replaced;
    if (std::string why = CheckReplaceable(to, replaced); !why.empty()) return {false, why};
    if (replaced.exists && ::chmod(from.c_str(), replaced.mode) != 0) return Failure("cannot prepare " + from, errno);
    return RenameOver(from, to);
}

}  // namespace bayhaul
