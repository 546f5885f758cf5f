#include "win32/report_window_win32.h"

#include "app/report_window_layout.h"
#include "ui/win32_accessible_name.h"

#include <commctrl.h>
#include <shellapi.h>

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulReport";
constexpr int kOpenHistoryId = 101;
constexpr int kOpenFolderId = 102;

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

// Opens `path` with the program the shell has for it; true when one did.
bool OpenWithShell(HWND owner, const std::string& path) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace

ReportWindow::ReportWindow(const MainWindowState& state, HWND owner, HICON icon)
    : state_(state),
      opener_([this](const std::string& path, std::function<void(bool)> done) { done(OpenWithShell(Handle(), path)); },
              [this](const std::string& note) {
                  ShowWindowText(note_, note);
                  ShowWindow(note_, note.empty() ? SW_HIDE : SW_SHOWNA);
              }) {
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
    note_ = make("ReportNote", "STATIC", SS_LEFT | SS_NOPREFIX, 0, -1);
    ShowWindow(note_, SW_HIDE);
    openHistory_ = make("OpenHistory", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, kOpenHistoryId);
    openFolder_ = make("OpenFolder", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, kOpenFolderId);
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
        const int button = focus == openHistory_ ? kOpenHistoryId : focus == openFolder_ ? kOpenFolderId : IDCANCEL;
        return MAKELRESULT(button, DC_HASDEFID);
    }
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == kOpenHistoryId) {
            opener_.OpenHistory(HistoryFilePath(state_));
        } else if (LOWORD(wParam) == kOpenFolderId) {
            opener_.OpenReceivedFolder(state_.ResolveSaveFolder(), state_.SaveFolderProblem());
        } else if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            Close();  // Escape, Enter, or the Close button
        }
        return 0;
    }
    return Win32Window::OnMessage(message, wParam, lParam);
}

}  // namespace bayhaul
