// Windows: the report window, LastPressReport in a read-only box with the
// way to the history. A modeless dialog: Tab and Shift+Tab move through the
// box and the two buttons, Enter presses the focused button or Close, and
// Escape closes it.
#pragma once

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
    HWND openHistory_ = nullptr;
    HWND close_ = nullptr;
};

}  // namespace bayhaul
