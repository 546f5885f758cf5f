// The Settings dialog's state and what its events do to it, free of any
// window toolkit: a front end shows these fields and forwards its clicks,
// mouse presses and text changes here.
//
// What OK and Apply save follows the three text boxes, not the options: the
// options only fill the boxes, and saving turns a box's text back into a
// keyword when it matches what that keyword shows.
#pragma once

#include "settings/app_settings.h"
#include "settings/folder_chooser.h"
#include "settings/output_naming.h"

#include <functional>
#include <string>

namespace bayhaul {

class SettingsDialogState {
public:
    // What the dialog needs from the main window; tests stand in fakes.
    struct Environment {
        SpecialFolderLookup specialFolder;     // asked afresh at every use
        std::function<std::string()> setDate;  // the main window's SetDate: a fresh timestamp
        std::string settingsPath;              // settings.ini
        AppSettings& mainWindowSettings;       // takes diradd, filename and fileext on OK and Apply
    };

    explicit SettingsDialogState(Environment environment);

    // What the dialog shows. One option of each group is selected once the
    // dialog has opened.
    std::string Text1;      // save folder
    std::string Text2;      // base name
    std::string Text3;      // extension
    bool Option4 = false;   // location "My Documents"
    bool Option5 = false;   // location "Desktop"
    bool Option6 = false;   // location "Custom"
    bool Option7 = false;   // name "Default"
    bool Option8 = false;   // name "TimeStamp"
    bool Option9 = false;   // name "Custom"
    bool Option10 = false;  // extension "Default"
    bool Option11 = false;  // extension "TXT"
    bool Option12 = false;  // extension "Custom"
    std::string lblError;   // why the last OK or Apply saved nothing; empty otherwise

    // The timestamp the TimeStamp choice last put into the name box. It
    // outlives each opening of the dialog: only that choice replaces it.
    std::string ShownStamp;

    // The opening: reads the file afresh and fills the boxes and groups.
    void Load();

    // Clicks, from the mouse or the keyboard: each selects its option, and
    // all but the three "Custom" ones fill their box.
    void Option4Click();
    void Option5Click();
    void Option6Click();
    void Option7Click();
    void Option8Click();
    void Option9Click();
    void Option10Click();
    void Option11Click();
    void Option12Click();
    // A press of any mouse button on Option6: selects it and asks for a
    // folder, starting at Text1's, which replaces Text1 unless the user
    // cancels.
    void Option6MouseDown(FolderChooser& chooser);

    // The user edited a box.
    void Text1Change(const std::string& text);  // "Custom" unless it shows the documents or desktop folder
    void Text2Change(const std::string& text);  // "Custom" unless it shows "FORM" or ShownStamp
    void Text3Change(const std::string& text);  // "Custom" unless it shows "DAT" or "TXT"

    // OK and Apply: writes the record the boxes give, with lines 1 and 2 as
    // the main window's record holds them, and hands lines 3 to 5 to the
    // main window. When the file cannot be written, says why in
    // lblError, changes neither the file nor the main window's record, and
    // gives false.
    bool Save();

private:
    AppSettings Compose() const;
    void Select(bool& option);

    Environment environment_;
};

}  // namespace bayhaul
