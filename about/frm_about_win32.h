// Windows: the About box, the program's icon, name and version in a small
// modeless window. Its texts come from the program's version resource.
#pragma once

#include <windows.h>

namespace bayhaul {

class frmAbout {
public:
    // Opens the box owned by `owner`, showing `icon` (16 by 16).
    frmAbout(HWND owner, HICON icon);
    ~frmAbout();
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    HWND Handle() const { return hwnd_; }  // null once closed

    // Closes the box; the main window calls it when it closes.
    void cmdOK_Click();

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HWND picIcon = nullptr;
    HWND lblTitle = nullptr;
    HWND lblVersion = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    HBRUSH background_ = nullptr;
};

}  // namespace bayhaul
