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

}  // namespace

ReplaceFileResult ReplaceFileContent(const std::string& path, const std::string& content) {
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode)) return {false, path + " is not a regular file"};
    if (replacing && (old.st_mode & S_IWUSR) == 0) return {false, path + " is read-only"};

    std::string temp;
    int fd = CreateTempBeside(path, temp);
    if (fd < 0) return Failure("cannot create a file beside " + path, errno);

    bool written = WriteAll(fd, content) && (!replacing || ::fchmod(fd, old.st_mode & 07777) == 0) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        return Failure("cannot write " + path, error);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
        ::unlink(temp.c_str());
        return Failure("cannot replace " + path, error);
    }
    FlushFolder(FolderOf(path));
    return {};
}

}  // namespace bayhaul
