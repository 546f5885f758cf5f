#include "files/durable_file.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace bayhaul {

struct DurableFile::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
};

namespace {

FileProblem ProblemOf(DWORD code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
            return FileProblem::NoPermission;
        case ERROR_WRITE_PROTECT:
            return FileProblem::ReadOnly;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileProblem::DiskFull;
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BUFFER_OVERFLOW:
            return FileProblem::PathTooLong;
        default:
            return FileProblem::Other;
    }
}

// The system's text for `code`, without its line end.
std::string SystemText(DWORD code) {
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

FileResult Failure(const std::string& what, DWORD code = GetLastError()) {
    return {false, what + ": " + SystemText(code), ProblemOf(code)};
}

// Removes the temporary files of `target` that processes which no longer
// run left behind: "<target>.new-<process>-<n>".
void RemoveLeftovers(const std::string& target) {
    const std::string prefix = target + ".new-";
    const std::size_t slash = target.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    const std::string namePrefix = prefix.substr(folder.size());
    do {
        const std::string name = found.cFileName;
        const char* digits = name.c_str() + namePrefix.size();
        char* end = nullptr;
        const unsigned long pid = std::strtoul(digits, &end, 10);
        if (end == digits || *end != '-' || pid == 0 || pid == GetCurrentProcessId()) continue;
        const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (process != nullptr) {
            CloseHandle(process);
            continue;
        }
        if (GetLastError() == ERROR_INVALID_PARAMETER) DeleteFileA((folder + name).c_str());  // no such process
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Why `target` may not be replaced, if it may not.
std::optional<FileResult> CheckReplaceable(const std::string& target) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileResult{false, target + " is not a regular file", FileProblem::InTheWay};
    if (attributes & FILE_ATTRIBUTE_READONLY) return FileResult{false, target + " is read-only", FileProblem::InTheWay};
    return std::nullopt;
}

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

// Renamed with write-through, so the change is on disk when this returns.
FileResult RenameOver(const std::string& from, const std::string& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Failure("cannot replace " + to);
    }
    return {};
}

}  // namespace

DurableFile::DurableFile(std::unique_ptr<Handle> handle, std::string temp, std::string target)
    : handle_(std::move(handle)), temp_(std::move(temp)), target_(std::move(target)) {}

std::unique_ptr<DurableFile> DurableFile::Create(const std::string& target, FileResult& result) {
    if (auto refused = CheckReplaceable(target)) {
        result = *refused;
        return nullptr;
    }
    RemoveLeftovers(target);
    auto handle = std::make_unique<Handle>();
    std::string temp;
    for (int attempt = 0; attempt < 16 && handle->file == INVALID_HANDLE_VALUE; ++attempt) {
        temp =
            target + ".new-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount() + attempt);
        handle->file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle->file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (handle->file == INVALID_HANDLE_VALUE) {
        result = Failure("cannot create a file beside " + target);
        return nullptr;
    }
    result = {};
    return std::unique_ptr<DurableFile>(new DurableFile(std::move(handle), temp, target));
}

DurableFile::~DurableFile() {
    if (handle_->file != INVALID_HANDLE_VALUE) CloseHandle(handle_->file);
    if (!committed_) DeleteFileA(temp_.c_str());
}

bool DurableFile::Append(const void* data, std::size_t size) {
    if (handle_->file != INVALID_HANDLE_VALUE && WriteAll(handle_->file, data, size)) return true;
    failure_ = Failure("cannot write " + target_);
    return false;
}

bool DurableFile::Restart() {
    if (handle_->file != INVALID_HANDLE_VALUE &&
        SetFilePointer(handle_->file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
        SetEndOfFile(handle_->file)) {
        return true;
    }
    failure_ = Failure("cannot write " + target_);
    return false;
}

FileResult DurableFile::Commit() {
    if (handle_->file == INVALID_HANDLE_VALUE) return {false, target_ + " is closed", FileProblem::Other};
    const HANDLE file = std::exchange(handle_->file, INVALID_HANDLE_VALUE);
    const bool flushed = FlushFileBuffers(file);
    FileResult failure = flushed ? FileResult{} : Failure("cannot write " + target_);
    CloseHandle(file);
    if (!flushed) return failure;
    const FileResult renamed = RenameOver(temp_, target_);
    committed_ = renamed.ok;
    return renamed;
}

FileResult MoveFileOver(const std::string& from, const std::string& to) {
    if (auto refused = CheckReplaceable(to)) return *refused;
    const HANDLE file =
        CreateFileA(from.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failure("cannot open " + from);
    const bool flushed = FlushFileBuffers(file);
    FileResult failure = flushed ? FileResult{} : Failure("cannot prepare " + from);
    CloseHandle(file);
    return flushed ? RenameOver(from, to) : failure;
}

FileResult AppendDurably(const std::string& path, const std::string& text) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failure("cannot open " + path);
    LARGE_INTEGER size = {};
    char last = '\n';
    DWORD got = 0;
    bool read = GetFileSizeEx(file, &size) != 0;
    if (read && size.QuadPart > 0) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(size.QuadPart - 1);
        at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
        read = ReadFile(file, &last, 1, &got, &at) && got == 1;
    }
    const std::string whole = (read && last != '\n' ? "\r\n" : "") + text;
    const bool written = read && WriteAll(file, whole.data(), whole.size()) && FlushFileBuffers(file);
    FileResult failure = written ? FileResult{} : Failure("cannot write " + path);
    CloseHandle(file);
    return failure;
}

FileResult OverwriteInPlace(const std::string& path, const std::string& content) {
    if (auto refused = CheckReplaceable(path)) return *refused;
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failure("cannot open " + path);
    const bool written = WriteAll(file, content.data(), content.size()) && SetEndOfFile(file) && FlushFileBuffers(file);
    FileResult failure = written ? FileResult{} : Failure("cannot write " + path);
    CloseHandle(file);
    return failure;
}

std::string FinalPath(const std::string& path) {
    return path;  // links in a user's settings folder are rare on Windows; the path is used as it is
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> text;
    if (GetFileType(file) == FILE_TYPE_DISK) {
        text.emplace(maxBytes, '\0');
        std::size_t got = 0;
        DWORD n = 0;
        while (got < maxBytes && ReadFile(file, text->data() + got, static_cast<DWORD>(maxBytes - got), &n, nullptr) &&
               n > 0) {
            got += n;
        }
        text->resize(got);
    }
    CloseHandle(file);
    return text;
}

}  // namespace bayhaul
