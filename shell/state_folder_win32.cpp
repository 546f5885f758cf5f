#include "shell/state_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace bayhaul {

std::string UserStateFolder() {
    char buffer[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return "";
    const std::string folder(buffer, strnlen(buffer, MAX_PATH));
    return folder.empty() ? folder : folder + "\\Bayhaul";
}

}  // namespace bayhaul
