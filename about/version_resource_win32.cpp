#include "about/version_resource_win32.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace bayhaul {

std::optional<BuildVersion> ReadVersionResource(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
        return std::nullopt;

    // The name is in the string table of the first language listed.
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof *translation)
        return std::nullopt;
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\ProductName", translation->language,
                  translation->codePage);
    char* name = nullptr;
    if (!VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&name), &length) || length == 0)
        return std::nullopt;

    BuildVersion version;
    version.title = std::string(name, strnlen(name, length));
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
    version.revision = LOWORD(fixed->dwFileVersionLS);
    return version;
}

BuildVersion ThisProgramsVersion() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        if (auto version = ReadVersionResource(std::string(path, length))) return *version;
    }
    return ThisBuild();
}

}  // namespace bayhaul
