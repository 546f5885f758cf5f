#include "win32/report_window_win32.h"

#include "app/report_rows.h"
#include "app/report_window_layout.h"
#include "ui/win32_accessible_name.h"

#include <commctrl.h>
#include <shellapi.h>

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulReport";
constexpr int kOpenHistoryId = 101;
constexpr int kOpenFolderId = 102;
constexpr int kRowsId = 103;
constexpr int kShowAtPressId = 104;

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

// The list view's columns, as wide as their share of `width` pixels.
void AddColumns(HWND rows, int width) {
    const int shares[kReportColumnCount] = {15, 65, 20};
    for (int column = 0; column < kReportColumnCount; ++column) {
        LVCOLUMNA header = {};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = const_cast<char*>(kReportColumns[column]);
        header.cx = width * shares[column] / 100;
        header.iSubItem = column;
        SendMessageA(rows, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
    }
}

void SetCell(HWND rows, int row, int column, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(rows, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

ReportWindow::ReportWindow(MainWindowState& state, HWND owner, HICON icon)
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
    rows_ = make("ReportRows", WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP,
                 WS_EX_CLIENTEDGE, kRowsId);
    // A row's line too long for its column shows whole in its tooltip.
    SendMessageA(rows_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    RECT inside = {};
    GetClientRect(rows_, &inside);
    AddColumns(rows_, inside.right - inside.left - GetSystemMetrics(SM_CXVSCROLL));
    note_ = make("ReportNote", "STATIC", SS_LEFT | SS_NOPREFIX, 0, -1);
    ShowWindow(note_, SW_HIDE);
    openHistory_ = make("OpenHistory", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, kOpenHistoryId);
    openFolder_ = make("OpenFolder", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, kOpenFolderId);
    close_ = make("CloseReport", "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, IDCANCEL);
    showAtPress_ = make("ShowAtPress", "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, kShowAtPressId);
    SendMessageA(showAtPress_, BM_SETCHECK, state_.ShowReportAtPress ? BST_CHECKED : BST_UNCHECKED, 0);
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
    ShowRows();
    EnableWindow(openHistory_, !HistoryFilePath(state_).empty());
}

void ReportWindow::ShowRows() {
    const std::vector<ReportRow> rows = ReportRows(state_.ReportLines);
    // The same ports keep their rows, and the keyboard's place among them.
    if (static_cast<std::size_t>(SendMessageA(rows_, LVM_GETITEMCOUNT, 0, 0)) != rows.size()) {
        SendMessageA(rows_, LVM_DELETEALLITEMS, 0, 0);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.pszText = const_cast<char*>("");
            SendMessageA(rows_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < kReportColumnCount; ++column)
            SetCell(rows_, static_cast<int>(row), column, ReportCell(rows[row], column));
    }
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
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == rows_ &&
        reinterpret_cast<const NMHDR*>(lParam)->code == LVN_GETINFOTIPA) {
        auto& tip = *reinterpret_cast<NMLVGETINFOTIPA*>(lParam);
        const std::vector<ReportRow> rows = ReportRows(state_.ReportLines);
        if (tip.iItem >= 0 && static_cast<std::size_t>(tip.iItem) < rows.size() && tip.cchTextMax > 0)
            lstrcpynA(tip.pszText, rows[static_cast<std::size_t>(tip.iItem)].state.c_str(), tip.cchTextMax);
        return 0;
    }
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == kOpenHistoryId) {
            opener_.OpenHistory(HistoryFilePath(state_));
        } else if (LOWORD(wParam) == kOpenFolderId) {
            opener_.OpenReceivedFolder(state_.ResolveSaveFolder(), state_.SaveFolderProblem());
        } else if (LOWORD(wParam) == kShowAtPressId) {
            const bool checked = SendMessageA(showAtPress_, BM_GETCHECK, 0, 0) == BST_CHECKED;
            const std::string trouble = state_.ShowReportAtPressClick(checked);
            if (!trouble.empty()) opener_.Tell(trouble);
        } else if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            Close();  // Escape, Enter, or the Close button
        }
        return 0;
    }
    return Win32Window::OnMessage(message, wParam, lParam);
}

}  // namespace bayhaul
