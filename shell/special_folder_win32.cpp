// Windows: the shell's special folder locations.
#include "shell/special_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace bayhaul {

std::string fGetSpecialFolder(int CSIDL) {
    // Only the documents and desktop folders; the shell would also resolve
    // every other identifier (and flag bits such as CSIDL_FLAG_CREATE).
    if (CSIDL != CSIDL_PERSONAL && CSIDL != CSIDL_DESKTOPDIRECTORY) return "";
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, CSIDL, &items) != S_OK || items == nullptr) return "";
    char buffer[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListA(items, buffer);
    CoTaskMemFree(items);
    if (!found) return "";
    std::string path(buffer, strnlen(buffer, MAX_PATH));
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    // A folder the shell names but that was deleted or never made is no folder.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return "";
    return path;
}

std::string ExpectedSpecialFolder(int CSIDL) {
    if (CSIDL != CSIDL_PERSONAL && CSIDL != CSIDL_DESKTOPDIRECTORY) return "";
    char buffer[MAX_PATH] = {};
    // The path the shell names, without asking whether it exists.
    if (SHGetFolderPathA(nullptr, CSIDL | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return "";
    std::string path(buffer, strnlen(buffer, MAX_PATH));
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace bayhaul
