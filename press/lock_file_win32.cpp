#include "press/lock_file.h"

#include <windows.h>

namespace bayhaul {

namespace {

// The byte range locked, far past any text the file holds: Windows keeps
// other handles from reading a locked range, and the text is to be read.
constexpr DWORD kLockedOffsetHigh = 0x7FFFFFFF;

OVERLAPPED LockedRange() {
    OVERLAPPED range = {};
    range.OffsetHigh = kLockedOffsetHigh;
    return range;
}

class LockedFile final : public HeldLockFile {
public:
    explicit LockedFile(HANDLE file) : file_(file) {}
    ~LockedFile() override {
        OVERLAPPED range = LockedRange();
        UnlockFileEx(file_, 0, 1, 0, &range);  // at once, rather than when Windows gets round to it
        CloseHandle(file_);
    }

    void Describe(const std::string& text) override {
        DWORD written = 0;
        SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
        if (WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) SetEndOfFile(file_);
    }

private:
    HANDLE file_;
};

std::string Failed(const std::string& what, const std::string& path) {
    return what + " " + path + " (error " + std::to_string(GetLastError()) + ")";
}

HANDLE Open(const std::string& path, DWORD access, DWORD creation) {
    // A link is opened as itself, and refused below.
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       creation, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool OurOwn(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information = {};
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information) &&
           !(information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
           information.nNumberOfLinks == 1;
}

}  // namespace

LockFileTaken TakeLockFile(const std::string& path, LockKind kind, bool wait) {
    const HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return {nullptr, false, Failed("cannot open", path)};
    if (!OurOwn(file)) {
        CloseHandle(file);
        return {nullptr, false, "cannot lock " + path + ": it is not a file of Bayhaul's own; remove it"};
    }
    OVERLAPPED range = LockedRange();
    const DWORD flags = (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) |
                        (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (!LockFileEx(file, flags, 0, 1, 0, &range)) {
        const DWORD error = GetLastError();
        std::string why = Failed("cannot lock", path);
        CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return {nullptr, true, ""};
        return {nullptr, false, why};
    }
    return {std::make_unique<LockedFile>(file), false, ""};
}

std::string ReadLockFile(const std::string& path) {
    const HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return "";
    char text[4096];
    DWORD got = 0;
    if (!OurOwn(file) || !ReadFile(file, text, sizeof text, &got, nullptr)) got = 0;
    CloseHandle(file);
    return std::string(text, got);
}

unsigned long ThisProcessNumber() {
    return GetCurrentProcessId();
}

}  // namespace bayhaul
