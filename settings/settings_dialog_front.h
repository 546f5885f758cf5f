// What the Qt and the Win32 Settings dialogs do alike, written once: which
// of SettingsDialogState's handlers each control calls, what each control
// shows of it, and the three buttons. A front end builds its controls from
// the layout table, forwards their events here by designer name, and
// implements the few calls that draw and close its own dialog.
#pragma once

#include "settings/settings_dialog_state.h"

#include <string>
#include <string_view>

namespace bayhaul {

class SettingsDialogFront {
public:
    void cmdOK_Click();      // saves, then closes unless the file could not be written
    void cmdApply_Click();   // saves and stays open
    void cmdCancel_Click();  // closes without saving; the main window calls it when it closes

protected:
    explicit SettingsDialogFront(SettingsDialogState& state) : state_(state) {}
    virtual ~SettingsDialogFront() = default;
    SettingsDialogFront(const SettingsDialogFront&) = delete;
    SettingsDialogFront& operator=(const SettingsDialogFront&) = delete;

    // A click on an option, an edit of a text box, by designer name: the
    // state's handler runs, then the state is shown. Other names do nothing.
    // A "Custom" option then puts the focus in its box.
    void OptionClicked(std::string_view name);
    void TextEdited(std::string_view name, const std::string& text);
    // A press of any mouse button on Option6: the chooser, then the folder box.
    void Option6MouseDown(FolderChooser& chooser);

    // Copies the state onto the controls.
    void ShowState();

    // What the front end draws and closes.
    virtual void ShowBoxText(const char* name, const std::string& text) = 0;
    // The selected option of a group shows selected; the others may be
    // left to the group to clear.
    virtual void ShowOption(const char* name, bool selected) = 0;
    virtual void ShowError(const std::string& text) = 0;  // lblError
    // Moves the focus into the box, its whole text selected.
    virtual void FocusBox(const char* name) = 0;
    virtual void CloseDialog() = 0;

    SettingsDialogState& state_;
};

}  // namespace bayhaul
