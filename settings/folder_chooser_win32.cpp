#include "settings/folder_chooser_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace bayhaul {

// Only file-system folders can be picked (1), and network browsing stops at
// the domain (2).
static_assert((BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN) == 3);

namespace {

// Selects the start folder, handed over in `data`, once the browser is up.
int CALLBACK SelectStart(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

}  // namespace

std::optional<std::string> Win32FolderChooser::ChooseFolder(const std::string& start) {
    // The chooser is a shell object: COM must be initialised on this thread,
    // single-threaded, as the shell asks. Undone again only if done here.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    struct ComScope {
        bool initialised;
        ~ComScope() {
            if (initialised) CoUninitialize();
        }
    } scope{SUCCEEDED(com)};

    BROWSEINFOA info = {};
    info.hwndOwner = owner_;
    info.pidlRoot = nullptr;  // starts at the desktop of the shell's namespace
    info.pszDisplayName = nullptr;
    info.lpszTitle = kChooseFolderTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    const DWORD attributes = start.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(start.c_str());
    const bool startIsFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    info.lpfn = SelectStart;
    info.lParam = startIsFolder ? reinterpret_cast<LPARAM>(start.c_str()) : 0;
    LPITEMIDLIST items = SHBrowseForFolderA(&info);
    if (items == nullptr) return std::nullopt;  // cancelled

    char buffer[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListA(items, buffer);
    CoTaskMemFree(items);
    // A pick without a file-system path changes nothing, as a cancel does.
    if (!found) return std::nullopt;
    return std::string(buffer, strnlen(buffer, MAX_PATH));
}

}  // namespace bayhaul
