#include "press/press_lock.h"

#include <windows.h>

#include <filesystem>
#include <optional>

namespace bayhaul {

namespace {

constexpr char kLockFile[] = "press.lock";

// Held while the file is open for writing: it is opened with others allowed
// to read it only, so a second writer is refused until the handle closes,
// which Windows does however the process ends.
class FileLock final : public PressLock {
public:
    explicit FileLock(HANDLE file) : file_(file) {}
    ~FileLock() override { CloseHandle(file_); }

private:
    HANDLE file_;
};

// The holder the file names.
std::string TextOf(HANDLE file) {
    char text[512] = {};
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ReadFile(file, text, sizeof text - 1, &got, nullptr);
    return HolderOf(std::string(text, got));
}

std::string HolderIn(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    const std::string holder = TextOf(file);
    CloseHandle(file);
    return holder;
}

// Why the opened file is not a lock of ours alone, if it is not.
std::optional<LockObstacle> ObstacleIn(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information) || GetFileType(file) != FILE_TYPE_DISK)
        return LockObstacle::NotAFile;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return LockObstacle::Link;
    if (information.nNumberOfLinks != 1) return LockObstacle::OtherName;
    return std::nullopt;
}

// Says who holds the lock now: the new line first, then the file cut to it.
void Describe(HANDLE file, const std::string& holder) {
    // Should this fail, only the description is lost: the lock holds.
    const std::string line = holder + "\r\n";
    DWORD written = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    if (WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) SetEndOfFile(file);
}

std::string CannotLock(const std::string& what) {
    return "Cannot make sure that no other press runs: " + what + " (error " + std::to_string(GetLastError()) + ").";
}

}  // namespace

PressLockTaker FilePressLock(std::string folder, std::string who) {
    return [folder = std::move(folder), who = std::move(who)](std::string& why) -> std::unique_ptr<PressLock> {
        if (folder.empty()) {
            why = "Cannot make sure that no other press runs: Windows names no local application data folder.";
            return nullptr;
        }
        std::error_code made;  // one that exists already is fine; one that cannot be made fails below
        std::filesystem::create_directories(folder, made);
        const std::string path = folder + "\\" + kLockFile;
        // A link is opened as itself, and refused.
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            why = GetLastError() == ERROR_SHARING_VIOLATION ? PressRunningText(HolderIn(path))
                                                            : CannotLock("cannot open " + path);
            return nullptr;
        }
        if (const std::optional<LockObstacle> obstacle = ObstacleIn(file)) {
            why = NotOurLockText(path, *obstacle);
            CloseHandle(file);
            return nullptr;
        }
        Describe(file, PressHolderText(who, GetCurrentProcessId()));
        return std::make_unique<FileLock>(file);
    };
}

}  // namespace bayhaul
