// Windows: HANDLEs, GetLastError, and every new file named (Windows has no
// file without a name that could be given one later).
#include "files/file_platform.h"

#include <windows.h>

#include <string>

namespace bayhaul::file_platform {

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

HANDLE H(Native file) {
    return reinterpret_cast<HANDLE>(file);
}

Native Opened(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? kNone : reinterpret_cast<Native>(file);
}

// What is at `path`, looked at without following a link.
Obstacle ObstacleAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Obstacle::None;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Obstacle::Link;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? Obstacle::NotAFile : Obstacle::None;
}

}  // namespace

Existing Inspect(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    return {true, (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0, (attributes & FILE_ATTRIBUTE_READONLY) != 0, 0};
}

FileResult LastFailure(const std::string& what) {
    const DWORD code = GetLastError();
    return {false, what + ": " + SystemText(code), ProblemOf(code)};
}

bool PathFits(const std::string& path) {
    if (path.size() < MAX_PATH) return true;  // the limit of the ANSI calls used here
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

Native CreateNameless(const std::string&, bool& refused) {
    refused = false;
    return kNone;
}

bool LinkNameless(Native, const std::string&) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
}

Native CreateExclusive(const std::string& path, bool& existed) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    existed = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS;
    return Opened(file);
}

Native OpenToWrite(const std::string& path) {
    return Opened(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

Native OpenToFlush(const std::string& path) {
    return OpenToWrite(path);  // FlushFileBuffers needs write access
}

Native OpenOwn(const std::string& path, bool append, Obstacle& obstacle) {
    obstacle = Obstacle::None;
    // A link is opened as itself (FILE_FLAG_OPEN_REPARSE_POINT), then
    // refused; appending writes go to the end whatever the position, and
    // reading finds the last byte.
    const HANDLE file = CreateFileA(path.c_str(), append ? GENERIC_READ | FILE_APPEND_DATA : GENERIC_READ,
                                    append ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, append ? OPEN_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        obstacle = ObstacleAt(path);
        SetLastError(error);
        return kNone;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file, &information) || GetFileType(file) != FILE_TYPE_DISK) {
        obstacle = Obstacle::NotAFile;
    } else if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        obstacle = Obstacle::Link;
    } else if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        obstacle = Obstacle::NotAFile;
    }
    if (obstacle == Obstacle::None) return Opened(file);
    CloseHandle(file);
    return kNone;
}

std::optional<std::uint64_t> SizeOf(Native file) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(H(file), &size)) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool ReadAt(Native file, std::uint64_t offset, void* data, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset + got);
        at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
        const DWORD chunk = size - got > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size - got);
        DWORD n = 0;
        if (!ReadFile(H(file), static_cast<char*>(data) + got, chunk, &n, &at))
            return GetLastError() == ERROR_HANDLE_EOF;
        if (n == 0) break;
        got += n;
    }
    return true;
}

bool Write(Native file, const void* data, std::size_t size) {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        if (!WriteFile(H(file), bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool Truncate(Native file, std::uint64_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(H(file), at, nullptr, FILE_BEGIN) && SetEndOfFile(H(file));
}

std::optional<char> LastByte(Native file) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(H(file), &size) || size.QuadPart == 0) return std::nullopt;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(size.QuadPart - 1);
    at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
    char last = 0;
    DWORD got = 0;
    if (!ReadFile(H(file), &last, 1, &got, &at) || got != 1) return std::nullopt;
    return last;
}

bool TakeMode(Native, const Existing&) {
    return true;  // no permission bits to take: a file's access comes from its folder
}

bool Flush(Native file) {
    return FlushFileBuffers(H(file));
}

bool Close(Native file) {
    return CloseHandle(H(file));
}

// Renamed with write-through, so the change is on disk when this returns.
bool RenameOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool Remove(const std::string& path) {
    return DeleteFileA(path.c_str());
}

std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

unsigned long ThisProcess() {
    return GetCurrentProcessId();
}

std::string HostName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

bool ProcessRuns(unsigned long process) {
    const HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (opened != nullptr) {
        CloseHandle(opened);
        return true;
    }
    return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
}

std::string ProcessStart(unsigned long process) {
    const HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (opened == nullptr) return "";
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    const bool told = GetProcessTimes(opened, &created, &exited, &kernel, &user);
    CloseHandle(opened);
    if (!told) return "";
    return std::to_string((static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
}

std::optional<std::string> ReadRegular(const std::string& path, std::size_t maxBytes) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> text;
    LARGE_INTEGER size = {};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
        text.emplace(std::min<std::uint64_t>(maxBytes, static_cast<std::uint64_t>(size.QuadPart)), '\0');
        std::size_t got = 0;
        DWORD n = 0;
        while (got < text->size() &&
               ReadFile(file, text->data() + got, static_cast<DWORD>(text->size() - got), &n, nullptr) && n > 0) {
            got += n;
        }
        text->resize(got);
    }
    CloseHandle(file);
    return text;
}

std::string FollowLinks(const std::string& path) {
    return path;  // links in a user's settings folder are rare on Windows; the path is used as it is
}

}  // namespace bayhaul::file_platform
