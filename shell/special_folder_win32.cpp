// Windows: the shell's special folder locations.
#include "shell/special_folder.h"

#include <windows.h>
#include <shlobj.h>

namespace bayhaul {

std::string fGetSpecialFolder(int CSIDL) {
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, CSIDL, &items) != S_OK || items == nullptr) return "";
    char buffer[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListA(items, buffer);
    CoTaskMemFree(items);
    if (!found) return "";
    std::string path(buffer, strnlen(buffer, MAX_PATH));
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace bayhaul
