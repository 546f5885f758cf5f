#include "settings/settings_dialog_state.h"

#include "settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace bayhaul {

namespace {

constexpr char kDefaultName[] = "FORM";
constexpr char kDefaultExtension[] = "DAT";
constexpr char kTextExtension[] = "TXT";

// The timestamps' first 8 characters are the date, so a name that still
// starts with the shown timestamp's date stands for the timestamp. A text
// shorter than 8 characters takes part whole.
bool SameDatePart(const std::string& a, const std::string& b) {
    const std::string left = a.substr(0, 8);
    const std::string right = b.substr(0, 8);
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

SettingsDialogState::SettingsDialogState(Environment environment) : environment_(std::move(environment)) {}

void SettingsDialogState::Load() {
    AppSettings stored;
    ReadSettingsFile(stored, environment_.settingsPath);
    lblError.clear();

    if (stored.filename == kDefaultName) {
        Option7Click();
    } else if (stored.filename == kTimestampNameKeyword) {
        Option8Click();
    } else {
        Option9Click();
        Text2 = stored.filename;
    }

    if (stored.fileext == kDefaultExtension)
        Option10Click();
    else if (stored.fileext == kTextExtension)
        Option11Click();
    else
        Option12Click();
    Text3 = stored.fileext;

    if (stored.diradd == kDocumentsKeyword) {
        Option4Click();
    } else if (stored.diradd == kDesktopKeyword) {
        Option5Click();
    } else {
        Option6Click();
        Text1 = stored.diradd;
    }
}

void SettingsDialogState::Option4Click() {
    Select(Option4);
    Text1 = environment_.specialFolder(kDocumentsFolderId);
}

void SettingsDialogState::Option5Click() {
    Select(Option5);
    Text1 = environment_.specialFolder(kDesktopFolderId);
}

void SettingsDialogState::Option6Click() {
    Select(Option6);
}

void SettingsDialogState::Option6MouseDown(FolderChooser& chooser) {
    Select(Option6);
    if (std::optional<std::string> folder = chooser.ChooseFolder(Text1)) Text1 = *folder;
}

void SettingsDialogState::Option7Click() {
    Select(Option7);
    Text2 = kDefaultName;
}

void SettingsDialogState::Option8Click() {
    Select(Option8);
    ShownStamp = environment_.setDate();
    Text2 = ShownStamp;
}

void SettingsDialogState::Option9Click() {
    Select(Option9);
}

void SettingsDialogState::Option10Click() {
    Select(Option10);
    Text3 = kDefaultExtension;
}

void SettingsDialogState::Option11Click() {
    Select(Option11);
    Text3 = kTextExtension;
}

void SettingsDialogState::Option12Click() {
    Select(Option12);
}

void SettingsDialogState::Text1Change(const std::string& text) {
    Text1 = text;
    // A folder typed in is a custom one, unless it is the one a choice shows.
    if (text != environment_.specialFolder(kDocumentsFolderId) && text != environment_.specialFolder(kDesktopFolderId))
        Select(Option6);
}

void SettingsDialogState::Text2Change(const std::string& text) {
    Text2 = text;
    if (text != ShownStamp && text != kDefaultName) Select(Option9);
}

void SettingsDialogState::Text3Change(const std::string& text) {
    Text3 = text;
    if (text != kTextExtension && text != kDefaultExtension) Select(Option12);
}

AppSettings SettingsDialogState::Compose() const {
    // Lines 1 and 2 as the main window's boxes stand now: the user may have
    // changed them there since the dialog opened.
    AppSettings record = environment_.mainWindowSettings;
    // A folder that cannot be found shows as an empty box, which names no
    // keyword: otherwise a stored "Desktop" would be saved as the documents
    // keyword when neither folder exists.
    const auto is = [this](int folderId) {
        const std::string folder = environment_.specialFolder(folderId);
        return !folder.empty() && Text1 == folder;
    };
    if (is(kDocumentsFolderId))
        record.diradd = kDocumentsKeyword;
    else if (is(kDesktopFolderId))
        record.diradd = kDesktopKeyword;
    else if (Text1.empty() && Option4)
        record.diradd = kDocumentsKeyword;  // the chosen keyword's folder is missing now; the keyword stays
    else if (Text1.empty() && Option5)
        record.diradd = kDesktopKeyword;
    else
        record.diradd = Text1;
    record.filename = SameDatePart(ShownStamp, Text2) ? kTimestampNameKeyword : Text2;
    record.fileext = Text3;
    return record;
}

bool SettingsDialogState::Save() {
    const AppSettings record = Compose();
    const SettingsWriteResult written = WriteSettingsFile(record, environment_.settingsPath);
    if (!written.ok) {
        lblError = "Not saved: " + written.error;
        return false;
    }
    lblError.clear();
    AppSettings& main = environment_.mainWindowSettings;
    main.diradd = record.diradd;
    main.filename = record.filename;
    main.fileext = record.fileext;
    return true;
}

void SettingsDialogState::Select(bool& option) {
    const std::array<std::array<bool*, 3>, 3> groups = {{
        {&Option4, &Option5, &Option6},
        {&Option7, &Option8, &Option9},
        {&Option10, &Option11, &Option12},
    }};
    for (const auto& group : groups) {
        if (std::find(group.begin(), group.end(), &option) == group.end()) continue;
        for (bool* member : group) *member = member == &option;
    }
}

}  // namespace bayhaul
