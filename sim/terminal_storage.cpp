#include "sim/terminal_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/durable_file.h"

namespace bayhaul::sim {

namespace {

// A stored file being sent: its size as it was when opened, its bytes read
// from the file as the sender needs them.
class StoredFile final : public tether::ymodem::SendSource {
public:
    StoredFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~StoredFile() override { close(fd_); }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        while (count > 0) {
            const ssize_t n = pread(fd_, out, count, static_cast<off_t>(offset));
            if (n <= 0) return false;  // a file that shrank, or a read error
            out += n;
            offset += static_cast<std::uint64_t>(n);
            count -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    const int fd_;
    const std::uint64_t size_;
};

}  // namespace

bool TerminalStorage::IsPlainName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<std::uint64_t> TerminalStorage::FileSize(const std::string& name) const {
    struct stat st {};
    if (!IsPlainName(name) || stat(PathOf(name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<FileFingerprint> TerminalStorage::Fingerprint(const std::string& name) const {
    if (!FileSize(name)) return std::nullopt;
    return FingerprintOfFile(PathOf(name));
}

bool TerminalStorage::Rewrite(const std::string& name) const {
    const auto size = FileSize(name);
    const auto content = size ? ReadRegularFile(PathOf(name), static_cast<std::size_t>(*size)) : std::nullopt;
    if (!content) return false;
    std::string inverted = *content;
    for (char& byte : inverted) byte = static_cast<char>(~byte);
    return OverwriteInPlace(PathOf(name), inverted).ok;
}

std::shared_ptr<tether::ymodem::SendSource> TerminalStorage::Open(const std::string& name) const {
    if (!IsPlainName(name)) return nullptr;
    const int fd = open(PathOf(name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return std::make_shared<StoredFile>(fd, static_cast<std::uint64_t>(st.st_size));
}

DeleteResult TerminalStorage::Delete(const std::string& name) const {
    if (!FileSize(name)) return DeleteResult::Absent;
    return unlink(PathOf(name).c_str()) == 0 ? DeleteResult::Deleted : DeleteResult::Failed;
}

DeleteResult TerminalStorage::DeleteIfSame(const std::string& name, std::uint64_t size,
                                           const Sha256Digest& digest) const {
    if (!FileSize(name)) return DeleteResult::Absent;
    const auto print = FingerprintOfFile(PathOf(name));
    if (!print) return DeleteResult::Failed;
    if (print->size != size || print->digest != digest) return DeleteResult::Changed;
    return unlink(PathOf(name).c_str()) == 0 ? DeleteResult::Deleted : DeleteResult::Failed;
}

bool TerminalStorage::SetClock(const std::string& stamp) const {
    return ReplaceFileContent(PathOf("CLOCK"), stamp).ok;
}

}  // namespace bayhaul::sim
