// Windows: the report window, LastPressReport in a read-only box with the
// ways to the history and to the folder of received files (through the
// shell). A modeless dialog: Tab and Shift+Tab move through the box and the
// three buttons, Enter presses the focused button or Close, and Escape
// closes it.
#pragma once

#include "app/place_opener.h"
#include "ui/win32_window.h"

namespace bayhaul {

class MainWindowState;

class ReportWindow final : public Win32Window {
public:
    ReportWindow(const MainWindowState& state, HWND owner, HICON icon);
    ~ReportWindow() override;

    // Shows the state's report as it is now.
    void Refresh();
    void Close();

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    const MainWindowState& state_;
    HFONT font_ = nullptr;
    HWND text_ = nullptr;
    HWND note_ = nullptr;
    HWND openHistory_ = nullptr;
    HWND openFolder_ = nullptr;
    HWND close_ = nullptr;
    PlaceOpener opener_;
};

}  // namespace bayhaul
