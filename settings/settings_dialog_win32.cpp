#include "settings/settings_dialog_win32.h"

#include "settings/settings_dialog_layout.h"
#include "ui/win32_accessible_name.h"

#include <string_view>

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulSettings";
constexpr int kFirstControlId = 100;

}  // namespace

Settings::Settings(SettingsDialogState& state, HWND owner, int backgroundResource, HICON icon,
                   FolderChooser* chooser)
    : SettingsDialogFront(state),
      shellChooser_(nullptr),
      chooser_(chooser),
      dpi_(QueryScreenDpi()),
      font_(MakeFont("Arial", 8, false, dpi_)),
      background_(backgroundResource) {
    Create(kClassName, kSettingsDialogCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTROLPARENT,
           TwipsToPixels(kSettingsDialogWidthTwips, dpi_.x), TwipsToPixels(kSettingsDialogHeightTwips, dpi_.y),
           owner, icon);
    shellChooser_ = Win32FolderChooser(Handle());
    if (chooser_ == nullptr) chooser_ = &shellChooser_;
    BuildControls();
    PaintBackdrop();
    CentreOnScreen();
    state_.Load();
    ShowState();
    ShowWindow(Handle(), SW_SHOW);
}

Settings::~Settings() {
    if (Handle() != nullptr) DestroyWindow(Handle());
    DeleteObject(font_);
}

void Settings::BuildControls() {
    int id = kFirstControlId;
    bool previousWasOption = false;
    const char* previousFrame = nullptr;
    const ControlTable& controls = SettingsDialogControls();
    for (const ControlSpec& layout : controls) {
        const RECT place = TwipsToPixels(PlaceInWindow(controls, layout), dpi_);
        // Each group of options is one tab stop, moved through with the
        // arrow keys; every other control starts a group of its own.
        const bool firstOfGroup = !previousWasOption || layout.frame != previousFrame;
        DWORD style = firstOfGroup ? WS_GROUP : 0;
        DWORD exStyle = 0;
        const char* className = nullptr;
        int controlId = id++;
        switch (layout.kind) {
            case ControlKind::Picture:
            case ControlKind::Frame:
                continue;  // drawn on the background
            case ControlKind::PictureButton:
            case ControlKind::CheckBox:
            case ControlKind::ProgressBar:
            case ControlKind::List:
                continue;  // none in this dialog
            case ControlKind::Label:
                className = "STATIC";
                style |= std::string(layout.name) == "Label2" ? SS_CENTER : SS_LEFT;
                break;
            case ControlKind::TextBox:
                className = "EDIT";
                style |= WS_TABSTOP | ES_AUTOHSCROLL;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::OptionButton:
                className = "BUTTON";
                style |= BS_AUTORADIOBUTTON | (firstOfGroup ? WS_TABSTOP : 0);
                break;
            case ControlKind::Button:
                className = "BUTTON";
                style |= WS_TABSTOP;
                if (std::string(layout.name) == "cmdOK") {
                    style |= BS_DEFPUSHBUTTON;
                    controlId = IDOK;  // Enter in the dialog
                } else if (std::string(layout.name) == "cmdCancel") {
                    controlId = IDCANCEL;  // Escape
                }
                break;
        }
        previousWasOption = layout.kind == ControlKind::OptionButton;
        previousFrame = layout.frame;
        HWND control = MakeControl(Handle(), className, layout.text, style, exStyle, place, controlId, font_);
        // The groups are drawn, not windows: an option's name says its group.
        if (layout.accessibleName != nullptr || layout.frame != nullptr)
            SetAccessibleName(control, AccessibleNameWithGroup(controls, layout));
        controls_[layout.name] = control;
        names_[controlId] = layout.name;
    }
    // A press on Option6 opens the folder chooser, whichever mouse button.
    HWND option6 = controls_.at("Option6");
    SetWindowLongPtrA(option6, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    option6Default_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(option6, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Option6Procedure)));
}

void Settings::PaintBackdrop() {
    backdrop_.Build(Handle(), GetSysColor(COLOR_BTNFACE), [this](HDC dc) {
        background_.DrawStretched(dc, TwipsToPixels(SettingsDialogControl("picOptions").place, dpi_));
        // The three captionless frames.
        for (const char* frame : {"Frame1", "Frame2", "Frame3"}) {
            RECT place = TwipsToPixels(SettingsDialogControl(frame).place, dpi_);
            DrawEdge(dc, &place, EDGE_ETCHED, BF_RECT);
        }
    });
}

void Settings::CentreOnScreen() {
    RECT outer;
    GetWindowRect(Handle(), &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Replacing a box's text moves its caret to the end, so a box that already
// shows the text is left alone; and filling a box is no edit.
void Settings::ShowBoxText(const char* name, const std::string& text) {
    showing_ = true;
    ShowWindowText(controls_.at(name), text);
    showing_ = false;
}

void Settings::ShowOption(const char* name, bool selected) {
    SendMessageA(controls_.at(name), BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Settings::ShowError(const std::string& text) {
    ShowWindowText(controls_.at("lblError"), text);
}

void Settings::FocusBox(const char* name) {
    HWND box = controls_.at(name);
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
}

void Settings::CloseDialog() {
    if (Handle() != nullptr) DestroyWindow(Handle());
}

HWND Settings::Control(const std::string& name) const {
    const auto found = controls_.find(name);
    return found == controls_.end() ? nullptr : found->second;
}

void Settings::OnCommand(int id, int code) {
    if (id == IDOK && code == BN_CLICKED) return cmdOK_Click();
    if (id == IDCANCEL && code == BN_CLICKED) return cmdCancel_Click();
    const auto named = names_.find(id);
    if (named == names_.end()) return;
    const ControlSpec& layout = SettingsDialogControl(named->second);
    if (std::string_view(layout.name) == "cmdApply" && code == BN_CLICKED) {
        cmdApply_Click();
    } else if (layout.kind == ControlKind::OptionButton && code == BN_CLICKED) {
        OptionClicked(layout.name);
    } else if (layout.kind == ControlKind::TextBox && code == EN_CHANGE && !showing_) {
        TextEdited(layout.name, WindowText(controls_.at(layout.name)));
    }
}

LRESULT Settings::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID: {
            // Enter presses the focused button, and OK anywhere else.
            HWND focus = GetFocus();
            const int id = focus == controls_.at("cmdCancel") || focus == controls_.at("cmdApply")
                               ? GetDlgCtrlID(focus)
                               : IDOK;
            return MAKELRESULT(id, DC_HASDEFID);
        }
        case WM_CLOSE:
            cmdCancel_Click();
            return 0;
        case WM_ERASEBKGND:
            backdrop_.Paint(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            HWND control = reinterpret_cast<HWND>(lParam);
            if (control == controls_.at("lblError")) SetTextColor(dc, ColourRef(kErrorTextColour));
            return reinterpret_cast<LRESULT>(backdrop_.BrushFor(dc, control));
        }
        default:
            return Win32Window::OnMessage(message, wParam, lParam);
    }
}

LRESULT CALLBACK Settings::Option6Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<Settings*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const WNDPROC button = dialog->option6Default_;
    switch (message) {
        case BM_CLICK: {
            // A click made by the keyboard or a program, which presses the
            // button with a mouse message of its own: a click, not a press.
            dialog->clicking_ = true;
            const LRESULT result = CallWindowProcA(button, hwnd, message, wParam, lParam);
            dialog->clicking_ = false;
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: {
            if (dialog->clicking_) break;
            // The press is taken here, so the button never stays pressed
            // under the chooser; the state selects it instead.
            SetFocus(hwnd);
            dialog->Option6MouseDown(*dialog->chooser_);  // a closed dialog only ignores the showing
            return 0;
        }
        default:
            break;
    }
    return CallWindowProcA(button, hwnd, message, wParam, lParam);
}

}  // namespace bayhaul
