#include "win32/report_window_win32.h"

#include "app/report_window_layout.h"
#include "ui/win32_accessible_name.h"

#include <commctrl.h>
#include <shellapi.h>

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulReport";
constexpr int kOpenHistoryId = 101;

// The report box only shows text: Tab, Enter and Escape are the window's,
// to move between its controls, press the default button and close.
LRESULT CALLBACK ReportBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_GETDLGCODE)
        return DefSubclassProc(box, message, wParam, lParam) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    return DefSubclassProc(box, message, wParam, lParam);
}

// The edit box breaks lines at CR LF only.
std::string WithWindowsLineEnds(const std::string& text) {
    std::string converted;
    for (const char c : text) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return converted;
}

}  // namespace

ReportWindow::ReportWindow(const MainWindowState& state, HWND owner, HICON icon) : state_(state) {
    const ScreenDpi dpi = QueryScreenDpi();
    font_ = MakeFont("Arial", 8, false, dpi);
    Create(kClassName, kReportWindowCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTROLPARENT,
           TwipsToPixels(kReportWindowWidthTwips, dpi.x), TwipsToPixels(kReportWindowHeightTwips, dpi.y), owner, icon);
    const auto make = [&](const char* name, const char* className, DWORD style, DWORD exStyle, int id) {
        const ControlSpec& layout = FindControl(ReportWindowControls(), name);
        HWND control = MakeControl(Handle(), className, layout.text, style, exStyle, TwipsToPixels(layout.place, dpi),
                                   id, font_);
        if (layout.accessibleName != nullptr) SetAccessibleName(control, layout.accessibleName);
        return control;
    };
    text_ = make("ReportText", "EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                 WS_EX_CLIENTEDGE, 100);
    SetWindowSubclass(text_, ReportBoxProcedure, 0, 0);
    openHistory_ = make("OpenHistory", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, kOpenHistoryId);
    close_ = make("CloseReport", "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, IDCANCEL);
    Refresh();
    ShowWindow(Handle(), SW_SHOW);
}

ReportWindow::~ReportWindow() {
    Close();  // the window goes before the font it uses
    DeleteObject(font_);
}

void ReportWindow::Refresh() {
    if (Handle() == nullptr) return;
    ShowWindowText(text_, WithWindowsLineEnds(LastPressReport(state_)));
    EnableWindow(openHistory_, !HistoryFilePath(state_).empty());
}

void ReportWindow::Close() {
    if (Handle() != nullptr) DestroyWindow(Handle());
}

LRESULT ReportWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == DM_GETDEFID) {
        // Enter presses the focused button, and Close anywhere else.
        const HWND focus = GetFocus();
        return MAKELRESULT(focus == openHistory_ ? kOpenHistoryId : IDCANCEL, DC_HASDEFID);
    }
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == kOpenHistoryId) {
            const std::string history = HistoryFilePath(state_);
            ShellExecuteA(Handle(), "open", history.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        } else if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            Close();  // Escape, Enter, or the Close button
        }
        return 0;
    }
    return Win32Window::OnMessage(message, wParam, lParam);
}

}  // namespace bayhaul
