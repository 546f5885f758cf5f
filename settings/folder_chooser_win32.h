// Windows: the shell's folder browser, for file-system folders only.
#pragma once

#include "settings/folder_chooser.h"

#include <windows.h>

namespace bayhaul {

class Win32FolderChooser final : public FolderChooser {
public:
    explicit Win32FolderChooser(HWND owner) : owner_(owner) {}

    // Opens at `start` when it is a folder, with it selected.
    std::optional<std::string> ChooseFolder(const std::string& start) override;

private:
    HWND owner_;
};

}  // namespace bayhaul
