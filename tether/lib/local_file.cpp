#include "tether/lib/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace bayhaul::tether {

std::unique_ptr<LocalFile> LocalFile::Create(const std::string& target) {
    if (target.empty()) return nullptr;
    std::string pattern = target + ".part-XXXXXX";
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return nullptr;
    fchmod(fd, 0644);  // as an ordinary new file, not the temporary file's 0600
    return std::unique_ptr<LocalFile>(new LocalFile(fd, pattern, target));
}

LocalFile::~LocalFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_) unlink(tempPath_.c_str());
}

bool LocalFile::Restart() {
    return ftruncate(fd_, 0) == 0 && lseek(fd_, 0, SEEK_SET) == 0;
}

bool LocalFile::Append(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool LocalFile::Commit() {
    if (fsync(fd_) != 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return false;
    if (std::rename(tempPath_.c_str(), target_.c_str()) != 0) return false;
    committed_ = true;
    // Make the rename itself durable.
    const std::string folder = std::filesystem::path(target_).parent_path().string();
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

}  // namespace bayhaul::tether
