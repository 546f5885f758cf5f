// Windows: the About box, the program's icon, name and version in a small
// modeless window. Its texts come from the program's version resource.
#pragma once

#include "ui/win32_window.h"

namespace bayhaul {

class frmAbout : public Win32Window {
public:
    // Opens the box owned by `owner`, showing `icon` (16 by 16).
    frmAbout(HWND owner, HICON icon);
    ~frmAbout() override;

    // Closes the box; the main window calls it when it closes.
    void cmdOK_Click();

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND picIcon = nullptr;
    HWND lblTitle = nullptr;
    HWND lblVersion = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    HBRUSH background_ = nullptr;
};

}  // namespace bayhaul
