// Windows: the Settings dialog. It shows the state of SettingsDialogState
// and forwards option clicks, mouse presses on Option6, edits and the three
// buttons to it. It is modeless: the message loop gives it its keyboard
// messages through IsDialogMessage, so Tab, Enter (OK) and Escape (Cancel)
// work as in a dialog box.
#pragma once

#include "settings/folder_chooser_win32.h"
#include "settings/settings_dialog_front.h"
#include "settings/settings_dialog_state.h"
#include "ui/win32_window.h"

#include <map>
#include <string>

namespace bayhaul {

class Settings final : public Win32Window, public SettingsDialogFront {
public:
    // Opens the dialog over `state`, centred on the screen and owned by
    // `owner`; the background is the PNG resource `backgroundResource`.
    // Folders are picked with `chooser`, or the shell's browser when none.
    Settings(SettingsDialogState& state, HWND owner, int backgroundResource, HICON icon,
             FolderChooser* chooser = nullptr);
    ~Settings() override;

    // The control of that designer name (null for the picture and the
    // frames, which are drawn on the background).
    HWND Control(const std::string& name) const;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BuildControls();
    void PaintBackdrop();
    void CentreOnScreen();
    void ShowBoxText(const char* name, const std::string& text) override;
    void ShowOption(const char* name, bool selected) override;
    void ShowError(const std::string& text) override;
    void FocusBox(const char* name) override;
    void CloseDialog() override;
    void OnCommand(int id, int code);
    // Option6's window procedure, in front of the button's own.
    static LRESULT CALLBACK Option6Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    Win32FolderChooser shellChooser_;
    FolderChooser* chooser_;
    ScreenDpi dpi_;
    HFONT font_ = nullptr;
    Win32Picture background_;
    Win32Backdrop backdrop_;
    std::map<std::string, HWND> controls_;  // by designer name
    std::map<int, std::string> names_;      // designer name by control id
    bool showing_ = false;                  // the text boxes are being filled, not edited
    WNDPROC option6Default_ = nullptr;
    bool clicking_ = false;                 // Option6 is clicked by the keyboard or a program
};

}  // namespace bayhaul
