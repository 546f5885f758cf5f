// Windows: Bayhaul's main window. It shows the state of MainWindowState and
// forwards clicks and timer ticks to it, and it is the window the download
// runs in. It also owns the modeless Settings dialog and About box, and
// gives each message to their keyboard handling before dispatching it.
#pragma once

#include "about/frm_about_win32.h"
#include "app/main_window_front.h"
#include "app/main_window_state.h"
#include "win32/report_window_win32.h"
#include "win32/win32_locale_text.h"
#include "settings/settings_dialog_win32.h"
#include "ui/win32_accessible_name.h"
#include "ui/win32_window.h"

#include <memory>

namespace bayhaul {

// The main window's class, by which another process finds it.
inline constexpr char kMainWindowClass[] = "BayhaulForm1";

class Form1 final : public Win32Window, public MainWindowFront {
public:
    // `stateFolder` holds the lock of presses, the history and the replaced
    // files' copies.
    Form1(const Clock& clock, std::string settingsPath, std::shared_ptr<WorkerStarter> workers,
          DevicePlatformFactory devicePlatform,
          const std::string& stateFolder);
    ~Form1() override;

    // One message from the queue: Tab, Enter and Escape of the open
    // windows are handled as in a dialog box; anything else is dispatched.
    void Dispatch(MSG& message);

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BuildControls();
    HWND Make(const char* name, const char* className, DWORD style);
    RECT PicturePlace(const Win32Picture& picture, int left, int top) const;
    void PaintBackdrop();
    void DrawDownloadButton(const DRAWITEMSTRUCT& item);
    void DrawProblemLine(const DRAWITEMSTRUCT& item);
    void ShowStatusText(const std::string& text);
    void OnCommand(HWND control, int code);
    void OnClose();

    // What the window does alike with the Qt one.
    void ShowState() override;
    void Command6_Click() override;
    void Command7_Click() override;
    void RefreshReport() override;
    void CloseOwnedWindows() override;
    void CloseWindow() override;
    // Opens the report of the last press: a click on the status line, or Ctrl+R.
    void OpenReport() override;

    // What the download sees of this window.
    void ShowStatus(const std::string& text) override;
    void ShowReport(const std::vector<PortReport>& report) override;
    // The tooltips of the status line and the problem line, from the state.
    void ShowToolTips();
    void ShowProgress(int percent) override;
    void ShowProblem(const std::string& text) override;
    void RunOnWindowThread(std::function<void()> call) override;
    // While a press runs the download button shows greyed and takes no
    // click; the focus it had moves to the next control, and back after.
    void ShowBusy(bool busy) override;

    AccessibilitySupport accessibility_;
    Win32LocaleText locale_;
    MainWindowState ownState_;  // what MainWindowFront shows as state_
    ScreenDpi dpi_;
    HICON icon_ = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    Win32Picture background_;
    Win32Picture downloadPicture_;
    Win32Backdrop backdrop_;
    HWND focusBeforeBusy_ = nullptr;  // where the focus goes back when a press ends

    HWND Label4 = nullptr;
    HWND Label3 = nullptr;
    HWND Command4 = nullptr;
    HWND Label2 = nullptr;
    HWND Check1 = nullptr;  // with its caption Label5
    HWND Label1 = nullptr;
    HWND Check2 = nullptr;  // with its caption Label6
    HWND Command6 = nullptr;
    HWND Command7 = nullptr;
    HWND ProgressBar1 = nullptr;
    HWND ProblemLine = nullptr;
    HBRUSH problemBrush_ = nullptr;
    HWND toolTip_ = nullptr;  // Label2's and ProblemLine's
    std::string statusShown_, problemShown_;  // what each line shows of the state's text
    std::string statusTip_, problemTip_;      // their tooltips' texts, which the tooltip reads


    std::unique_ptr<Settings> settings_;
    std::unique_ptr<frmAbout> about_;
    std::unique_ptr<ReportWindow> report_;
};

}  // namespace bayhaul
