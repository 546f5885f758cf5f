#include "win32/form1_win32.h"

#include "app/main_window_layout.h"
#include "app/window_environment.h"
#include "win32/win32_resources.h"
#include "win32/win32_text_measure.h"
#include "ui/win32_accessible_name.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace bayhaul {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTimer2 = 2;
// A call handed over from the press's thread (RunOnWindowThread).
constexpr UINT kRunPostedCall = WM_APP + 1;
constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

int ControlId(const char* name) {
    const std::vector<ControlSpec>& controls = MainWindowControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (std::string_view(controls[i].name) == name) return kFirstControlId + static_cast<int>(i);
    }
    return 0;
}

// The table's entry of one of the window's controls.
const ControlSpec& LayoutOf(HWND control) {
    return MainWindowControls().at(static_cast<std::size_t>(GetDlgCtrlID(control) - kFirstControlId));
}

// A box with the caption beside it is one check box here, over both places:
// a click on the caption ticks it, and the system draws its focus rectangle
// around the caption.
TwipsRect WithCaption(const ControlSpec& box) {
    TwipsRect place = box.place;
    for (const ControlSpec& caption : MainWindowControls()) {
        if (caption.captionOf == nullptr || std::string_view(caption.captionOf) != box.name) continue;
        const int right = std::max(place.left + place.width, caption.place.left + caption.place.width);
        const int bottom = std::max(place.top + place.height, caption.place.top + caption.place.height);
        place.left = std::min(place.left, caption.place.left);
        place.top = std::min(place.top, caption.place.top);
        place.width = right - place.left;
        place.height = bottom - place.top;
    }
    return place;
}

}  // namespace

Form1::Form1(const Clock& clock, std::string settingsPath, std::shared_ptr<WorkerStarter> workers,
             DevicePlatformFactory devicePlatform,
             const std::string& stateFolder)
    : MainWindowFront(ownState_),
      ownState_(WindowEnvironment(clock, locale_, std::move(settingsPath), std::move(workers), std::move(devicePlatform),
                               FilePressLock(stateFolder, "the Bayhaul window"), stateFolder)),
      dpi_(QueryScreenDpi()),
      // The system's icon size; each window's small icon is the resource's
      // own small image, not this one shrunk. Shared: the system frees it.
      icon_(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(BAYHAUL_ICON), IMAGE_ICON, 0, 0,
                                          LR_DEFAULTSIZE | LR_SHARED))),
      // The controls are laid out for a small dialog font.
      font_(MakeFont("Arial", 8, false, dpi_)),
      titleFont_(MakeFont("Arial", 9.75, true, dpi_)),
      background_(BAYHAUL_MAIN_BACKGROUND),
      downloadPicture_(BAYHAUL_DOWNLOAD_PICTURE),
      problemBrush_(CreateSolidBrush(ColourRef(kProblemBackColour))) {
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&common);
    Create(kMainWindowClass, kMainWindowCaption, kStyle, WS_EX_CONTROLPARENT, TwipsToPixels(kMainWindowWidthTwips, dpi_.x),
           TwipsToPixels(kMainWindowHeightTwips, dpi_.y), nullptr, icon_);
    BuildControls();
    PaintBackdrop();

    state_.Load();
    ShowState();
    SetTimer(Handle(), kTimer1, kTimerIntervalMs, nullptr);
    SetTimer(Handle(), kTimer2, kTimerIntervalMs, nullptr);
}

Form1::~Form1() {
    settings_.reset();
    about_.reset();
    report_.reset();
    if (Handle() != nullptr) DestroyWindow(Handle());
    DeleteObject(font_);
    DeleteObject(titleFont_);
    DeleteObject(problemBrush_);
}

HWND Form1::Make(const char* name, const char* className, DWORD style) {
    const ControlSpec& layout = MainWindowControl(name);
    // The picture button's text is drawn by no one: it is the name screen
    // readers read. Other controls the table names are named for them, and a
    // label keeps what it shows as its description.
    const bool picture = layout.kind == ControlKind::PictureButton;
    const TwipsRect place = layout.kind == ControlKind::CheckBox ? WithCaption(layout) : layout.place;
    HWND control = MakeControl(Handle(), className, picture ? AccessibleName(layout) : layout.text, style, 0,
                               TwipsToPixels(place, dpi_), ControlId(name), font_);
    if (layout.accessibleName != nullptr && !picture)
        SetAccessibleName(control, layout.accessibleName,
                          layout.kind == ControlKind::Label ? ControlText::Description : ControlText::Own);
    return control;
}

void Form1::BuildControls() {
    Label4 = Make("Label4", "STATIC", SS_LEFT | SS_NOPREFIX);
    SendMessageA(Label4, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    Label3 = Make("Label3", "STATIC", SS_LEFT | SS_NOPREFIX);  // wraps over its lines
    // The picture button draws itself.
    Command4 = Make("Command4", "BUTTON", BS_OWNERDRAW | WS_TABSTOP);
    // Label2 takes the mouse, so its tooltip shows.
    Label2 = Make("Label2", "STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY);
    // Each box shows its own caption, in the place of the label beside it.
    Check1 = Make("Check1", "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP);
    Label1 = Make("Label1", "STATIC", SS_LEFT | SS_NOPREFIX);
    Check2 = Make("Check2", "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP);
    Command6 = Make("Command6", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
    Command7 = Make("Command7", "BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
    ProgressBar1 = Make("ProgressBar1", PROGRESS_CLASSA, 0);
    SendMessageA(ProgressBar1, PBM_SETRANGE32, 0, 100);
    // Drawn by the window: its text wraps, with a margin, centred in its height.
    ProblemLine = Make("ProblemLine", "STATIC", SS_OWNERDRAW | SS_NOTIFY);
    ShowWindow(ProblemLine, SW_HIDE);

    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    // The status line's and the problem line's: the whole of each, and
    // what the last press did on each port.
    for (HWND line : {Label2, ProblemLine}) {
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(line);
        tool.lpszText = const_cast<char*>("");
        SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageA(toolTip_, TTM_SETMAXTIPWIDTH, 0, 1000);  // lines break only where the report breaks them
    SendMessageA(toolTip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
}

// A picture drawn at `left`, `top`: its pixels are those of a 96 DPI
// screen, so it grows with the controls on a finer one.
RECT Form1::PicturePlace(const Win32Picture& picture, int left, int top) const {
    return {left, top, left + MulDiv(picture.Width(), dpi_.x, 96), top + MulDiv(picture.Height(), dpi_.y, 96)};
}

void Form1::PaintBackdrop() {
    // The picture from the top left corner.
    backdrop_.Build(Handle(), RGB(0xFF, 0xFF, 0xFF),
                    [this](HDC dc) { background_.DrawStretched(dc, PicturePlace(background_, 0, 0)); });
}

void Form1::DrawDownloadButton(const DRAWITEMSTRUCT& item) {
    const RECT& place = item.rcItem;
    RECT inWindow = place;
    MapWindowPoints(item.hwndItem, Handle(), reinterpret_cast<POINT*>(&inWindow), 2);
    backdrop_.PaintPart(item.hDC, inWindow);
    const int pressed = (item.itemState & ODS_SELECTED) ? 1 : 0;
    const RECT picture = PicturePlace(downloadPicture_, 0, 0);
    const int left = (place.right - place.left - picture.right) / 2 + pressed;
    const int top = (place.bottom - place.top - picture.bottom) / 2 + pressed;
    if (item.itemState & ODS_DISABLED)
        downloadPicture_.DrawGreyed(item.hDC, PicturePlace(downloadPicture_, left, top));
    else
        downloadPicture_.DrawStretched(item.hDC, PicturePlace(downloadPicture_, left, top));
    // The system's focus rectangle, when the system says focus shows.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = place;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(item.hDC, &focus);
    }
}

void Form1::DrawProblemLine(const DRAWITEMSTRUCT& item) {
    // As the Qt window shows it: a frame in the text colour, and the text
    // wrapped inside a margin, centred in the line's height.
    HDC dc = item.hDC;
    RECT place = item.rcItem;
    FillRect(dc, &place, problemBrush_);
    HBRUSH frame = CreateSolidBrush(ColourRef(kProblemTextColour));
    FrameRect(dc, &place, frame);
    DeleteObject(frame);
    const std::string text = WindowText(item.hwndItem);
    HGDIOBJ previousFont = SelectObject(dc, font_);
    SetTextColor(dc, ColourRef(kProblemTextColour));
    SetBkMode(dc, TRANSPARENT);
    InflateRect(&place, -MulDiv(kProblemMargin, dpi_.x, 96), -1);
    RECT measured = place;
    constexpr UINT kFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measured, kFormat | DT_CALCRECT);
    const int spare = (place.bottom - place.top) - (measured.bottom - measured.top);
    if (spare > 0) place.top += spare / 2;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place, kFormat);
    SelectObject(dc, previousFont);
}

void Form1::ShowBusy(bool busy) {
    if (busy && GetFocus() == Command4) {
        focusBeforeBusy_ = GetNextDlgTabItem(Handle(), Command4, FALSE);
        SetFocus(focusBeforeBusy_);
    }
    // Disabled, it takes no click, and screen readers say it is unavailable.
    EnableWindow(Command4, !busy);
    if (!busy && focusBeforeBusy_ != nullptr && GetFocus() == focusBeforeBusy_) SetFocus(Command4);
    if (!busy) focusBeforeBusy_ = nullptr;
}

void Form1::ShowState() {
    ShowWindowText(Label1, state_.Label1);
    ShowStatusText(state_.Label2);
    ShowProblem(state_.ProblemLine);
    SendMessageA(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(state_.ProgressBar1), 0);
    // Showing the state is not a click: BM_SETCHECK sends no notification.
    SendMessageA(Check1, BM_SETCHECK, state_.Check1 ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(Check2, BM_SETCHECK, state_.Check2 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form1::ShowStatusText(const std::string& text) {
    // Shortened at a word to fit; the whole of it in the tooltip.
    const Win32TextMeasure measure(Label2, font_);
    statusShown_ = ShortenAtWord(text, measure.Box(0), measure.Width());
    ShowWindowText(Label2, statusShown_);
    ShowToolTips();
}

void Form1::OnCommand(HWND control, int code) {
    if (code == STN_CLICKED && (control == Label2 || control == ProblemLine)) {
        OpenReport();
        return;
    }
    if (code == BN_CLICKED) Clicked(LayoutOf(control).name, SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void Form1::RefreshReport() {
    if (report_) report_->Refresh();
}

void Form1::Command6_Click() {
    // An open dialog is only brought forward: it reads nothing again. A
    // closed one is replaced, and the new opening reads the file.
    if (!settings_ || settings_->Handle() == nullptr)
        settings_ = std::make_unique<Settings>(state_.SettingsDialog, Handle(), BAYHAUL_SETTINGS_BACKGROUND, icon_);
    SetForegroundWindow(settings_->Handle());
}

void Form1::OpenReport() {
    if (!report_ || report_->Handle() == nullptr) report_ = std::make_unique<ReportWindow>(state_, Handle(), icon_);
    report_->Refresh();
    SetForegroundWindow(report_->Handle());
}

void Form1::Command7_Click() {
    if (!about_ || about_->Handle() == nullptr) about_ = std::make_unique<frmAbout>(Handle(), icon_);
    SetForegroundWindow(about_->Handle());
}

void Form1::OnClose() {
    if (MayClose()) DestroyWindow(Handle());
}

void Form1::CloseOwnedWindows() {
    if (settings_) settings_->cmdCancel_Click();
    if (about_) about_->cmdOK_Click();
    if (report_) report_->Close();
}

void Form1::CloseWindow() {
    if (Handle() != nullptr) OnClose();
}

void Form1::ShowStatus(const std::string& text) {
    ShowStatusText(text);
    RefreshReport();  // the live view
}

void Form1::ShowReport(const std::vector<PortReport>&) {
    ShowToolTips();  // from the state, which has the report already
    RefreshReport();
}

void Form1::ShowToolTips() {
    const auto update = [this](HWND line, std::string& shown, std::string text) {
        if (text == shown) return;
        shown = std::move(text);
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(line);
        tool.lpszText = shown.data();
        SendMessageA(toolTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    };
    update(Label2, statusTip_, WholeTextTip(state_.Label2, statusShown_, state_.Label2Report));
    update(ProblemLine, problemTip_, WholeTextTip(state_.ProblemLine, problemShown_, state_.Label2Report));
}

void Form1::ShowProblem(const std::string& text) {
    // As much as fits inside the margin DrawProblemLine keeps.
    const Win32TextMeasure measure(ProblemLine, font_);
    problemShown_ =
        FitProblemLine(text, state_.ProblemPorts, measure.Box(MulDiv(kProblemMargin, dpi_.x, 96)), measure.Width());
    if (ShowWindowText(ProblemLine, problemShown_)) InvalidateRect(ProblemLine, nullptr, FALSE);
    ShowWindow(ProblemLine, text.empty() ? SW_HIDE : SW_SHOWNA);
    ShowToolTips();
}

void Form1::ShowProgress(int percent) {
    SendMessageA(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void Form1::RunOnWindowThread(std::function<void()> call) {
    // The call travels in the message; a window already gone drops it.
    auto* posted = new std::function<void()>(std::move(call));
    if (!PostMessageA(Handle(), kRunPostedCall, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

void Form1::Dispatch(MSG& message) {
    // Ctrl+R anywhere in the main window opens the report.
    if (message.message == WM_KEYDOWN && message.wParam == 'R' && (GetKeyState(VK_CONTROL) & 0x8000) &&
        (message.hwnd == Handle() || IsChild(Handle(), message.hwnd))) {
        OpenReport();
        return;
    }
    HWND windows[] = {settings_ ? settings_->Handle() : nullptr, about_ ? about_->Handle() : nullptr,
                      report_ ? report_->Handle() : nullptr, Handle()};
    for (HWND window : windows) {
        if (window != nullptr && IsDialogMessageA(window, &message)) return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

LRESULT Form1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            // Only a control's own notices: Enter and Escape on a box come
            // as IDOK and IDCANCEL, which the window does not use.
            HWND control = reinterpret_cast<HWND>(lParam);
            if (control != nullptr && GetDlgCtrlID(control) == LOWORD(wParam)) OnCommand(control, HIWORD(wParam));
            return 0;
        }
        case kRunPostedCall: {
            const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
            (*call)();
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimer1) {
                state_.Timer1Tick();
                ShowState();
            } else if (wParam == kTimer2) {
                state_.Timer2Tick();
            }
            return 0;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.hwndItem == Command4)
                DrawDownloadButton(item);
            else if (item.hwndItem == ProblemLine)
                DrawProblemLine(item);
            else
                break;
            return TRUE;
        }
        case DM_GETDEFID: {
            // Enter presses the focused button; the window has no default one.
            HWND focus = GetFocus();
            if (focus == Command4 || focus == Command6 || focus == Command7)
                return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
            return 0;
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == Command4) {
                SetCursor(LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            backdrop_.Paint(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(
                backdrop_.BrushFor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_QUERYENDSESSION:
            // The session may end; a press that runs holds it back until it has stopped.
            if (state_.PressRunning())
                ShutdownBlockReasonCreate(Handle(), L"Bayhaul is stopping its download safely, keeping every "
                                                    L"terminal's data.");
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) state_.StopPressAndWait();
            ShutdownBlockReasonDestroy(Handle());
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            KillTimer(Handle(), kTimer1);
            KillTimer(Handle(), kTimer2);
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return Win32Window::OnMessage(message, wParam, lParam);
}

}  // namespace bayhaul
