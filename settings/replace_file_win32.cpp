#include "settings/replace_file.h"

#include <windows.h>

#include <string>

namespace bayhaul {

namespace {

ReplaceFileResult Failure(const std::string& what) {
    return {false, what + " (error " + std::to_string(GetLastError()) + ")"};
}

}  // namespace

ReplaceFileResult ReplaceFileContent(const std::string& path, const std::string& content) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {false, path + " is not a regular file"};
        if (attributes & FILE_ATTRIBUTE_READONLY) return {false, path + " is read-only"};
    }

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
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ReplaceFileResult failure = Failure("cannot replace " + path);
        DeleteFileA(temp.c_str());
        return failure;
    }
    return {};
}

}  // namespace bayhaul
