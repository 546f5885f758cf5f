#include "settings/settings_dialog_front.h"

#include <functional>

namespace bayhaul {

namespace {

// Each option's handler, the field that says whether it is selected, and
// for a "Custom" option the box the user then types into.
struct OptionHandler {
    const char* name;
    void (SettingsDialogState::*click)();
    bool SettingsDialogState::*selected;
    const char* customBox = nullptr;
};
constexpr OptionHandler kOptions[] = {
    {"Option4", &SettingsDialogState::Option4Click, &SettingsDialogState::Option4},
    {"Option5", &SettingsDialogState::Option5Click, &SettingsDialogState::Option5},
    {"Option6", &SettingsDialogState::Option6Click, &SettingsDialogState::Option6, "Text1"},
    {"Option7", &SettingsDialogState::Option7Click, &SettingsDialogState::Option7},
    {"Option8", &SettingsDialogState::Option8Click, &SettingsDialogState::Option8},
    {"Option9", &SettingsDialogState::Option9Click, &SettingsDialogState::Option9, "Text2"},
    {"Option10", &SettingsDialogState::Option10Click, &SettingsDialogState::Option10},
    {"Option11", &SettingsDialogState::Option11Click, &SettingsDialogState::Option11},
    {"Option12", &SettingsDialogState::Option12Click, &SettingsDialogState::Option12, "Text3"},
};

// Each text box's handler and the field it shows.
struct TextBoxHandler {
    const char* name;
    void (SettingsDialogState::*change)(const std::string&);
    std::string SettingsDialogState::*text;
};
constexpr TextBoxHandler kTextBoxes[] = {
    {"Text1", &SettingsDialogState::Text1Change, &SettingsDialogState::Text1},
    {"Text2", &SettingsDialogState::Text2Change, &SettingsDialogState::Text2},
    {"Text3", &SettingsDialogState::Text3Change, &SettingsDialogState::Text3},
};

}  // namespace

void SettingsDialogFront::cmdOK_Click() {
    if (state_.Save())
        CloseDialog();
    else
        ShowState();  // says why, and stays open
}

void SettingsDialogFront::cmdApply_Click() {
    state_.Save();
    ShowState();
}

void SettingsDialogFront::cmdCancel_Click() {
    CloseDialog();
}

// std::invoke rather than .*: GCC's undefined-behaviour checker misreads a
// member-pointer call made through a captured this.
void SettingsDialogFront::OptionClicked(std::string_view name) {
    for (const OptionHandler& option : kOptions) {
        if (name != option.name) continue;
        std::invoke(option.click, state_);
        ShowState();
        // "Custom" means the user types next: the box takes the focus, its
        // text selected, so typing replaces it.
        if (option.customBox != nullptr) FocusBox(option.customBox);
    }
}

void SettingsDialogFront::Option6MouseDown(FolderChooser& chooser) {
    state_.Option6MouseDown(chooser);
    ShowState();
    FocusBox("Text1");
}

void SettingsDialogFront::TextEdited(std::string_view name, const std::string& text) {
    for (const TextBoxHandler& box : kTextBoxes) {
        if (name != box.name) continue;
        std::invoke(box.change, state_, text);
        ShowState();
    }
}

void SettingsDialogFront::ShowState() {
    for (const TextBoxHandler& box : kTextBoxes) ShowBoxText(box.name, state_.*box.text);
    for (const OptionHandler& option : kOptions) ShowOption(option.name, state_.*option.selected);
    ShowError(state_.lblError);
}

}  // namespace bayhaul
