// Windows: the report window, the press's live view: LastPressReport in a
// read-only box, a list view with a row per port, refreshed as the press
// goes and kept after it, the ways to the history and to the folder of
// received files (through the shell), and whether it opens at every press.
// A modeless dialog: Tab and Shift+Tab move through the box, the rows, the
// three buttons and the box, Enter presses the focused button or Close, and
// Escape closes it.
#pragma once

#include "app/place_opener.h"
#include "ui/win32_window.h"

namespace bayhaul {

class MainWindowState;

class ReportWindow final : public Win32Window {
public:
    ReportWindow(MainWindowState& state, HWND owner, HICON icon);
    ~ReportWindow() override;

    // Shows the state's report as it is now.
    void Refresh();
    void Close();

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void ShowRows();

    MainWindowState& state_;
    HFONT font_ = nullptr;
    HWND text_ = nullptr;
    HWND rows_ = nullptr;  // a row per port
    HWND note_ = nullptr;
    HWND openHistory_ = nullptr;
    HWND openFolder_ = nullptr;
    HWND close_ = nullptr;
    HWND showAtPress_ = nullptr;
    PlaceOpener opener_;
};

}  // namespace bayhaul
