#include "settings/replace_file.h"

#include <windows.h>

#include <string>

namespace bayhaul {

namespace {

ReplaceFileResult Failure(const std::string& what) {
    return {false, what + " (error " + std::to_string(GetLastError()) + ")"};
}

// Why `path` may not be replaced, or "" when it may.
std::string ReplaceBlocker(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return path + " is not a regular file";
    if (attributes & FILE_ATTRIBUTE_READONLY) return path + " is read-only";
    return "";
}

bool RenameOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

ReplaceFileResult ReplaceFileContent(const std::string& path, const std::string& content) {
    if (std::string why = ReplaceBlocker(path); !why.empty()) return {false, why};

    const std::string temp = path + ".new-" + std::to_string(GetCurrentProcessId());
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failure("cannot create a file beside " + path);
    DWORD written = 0;
    const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!ok) {
        ReplaceFileResult failure = Failure("cannot write " + path);
        DeleteFileA(temp.c_str());
        return failure;
    }
    if (!RenameOver(temp, path)) {
        ReplaceFileResult failure = Failure("cannot replace " + path);
        DeleteFileA(temp.c_str());
        return failure;
    }
    return {};
}

ReplaceFileResult MoveFileOver(const std::string& from, const std::string& to) {
    if (std::string why = ReplaceBlocker(to); !why.empty()) return {false, why};
    if (!RenameOver(from, to)) return Failure("cannot replace " + to);
    return {};
}

}  // namespace bayhaul
