#include "settings/settings_dialog_layout.h"

namespace bayhaul {

namespace {

// An option at the left of its frame starts this far inside it, so the
// frame's edge never runs through its circle.
constexpr int kOptionInset = 120;

}  // namespace

const ControlTable& SettingsDialogControls() {
    using Kind = ControlKind;
    static const ControlTable controls = {
        {"picOptions", Kind::Picture, "", {0, 0, kSettingsDialogWidthTwips, kSettingsDialogHeightTwips}},
        {"Label1", Kind::Label, "Saved Location:", {240, 120, 1215, 255}},
        {"Text1", Kind::TextBox, "", {240, 480, 4455, 285}, "Saved location folder"},
        {"Frame1", Kind::Frame, "", {240, 840, 4500, 375}, "Saved location"},
        {"Option4", Kind::OptionButton, "My Documents", {kOptionInset, 0, 1500 - kOptionInset, 375}, nullptr, "Frame1"},
        {"Option5", Kind::OptionButton, "Desktop", {1500, 0, 1500, 375}, nullptr, "Frame1"},
        {"Option6", Kind::OptionButton, "Custom", {3000, 0, 1500, 375}, nullptr, "Frame1"},
        {"Label4", Kind::Label, "Saved File Name:", {240, 1320, 1335, 240}},
        {"Text2", Kind::TextBox, "", {240, 1560, 1575, 285}, "File name"},
        {"Label2", Kind::Label, ".", {1815, 1560, 225, 285}},  // between the two boxes
        {"Text3", Kind::TextBox, "", {2040, 1560, 1095, 285}, "File name extension"},
        {"Frame2", Kind::Frame, "", {240, 1920, 1575, 1125}, "Saved file name"},
        {"Option7", Kind::OptionButton, "Default", {kOptionInset, 0, 1575 - kOptionInset, 375}, nullptr, "Frame2"},
        {"Option8", Kind::OptionButton, "TimeStamp", {kOptionInset, 375, 1575 - kOptionInset, 375}, nullptr, "Frame2"},
        {"Option9", Kind::OptionButton, "Custom", {kOptionInset, 750, 1575 - kOptionInset, 375}, nullptr, "Frame2"},
        {"Frame3", Kind::Frame, "", {2040, 1920, 1095, 1125}, "Extension"},
        {"Option10", Kind::OptionButton, "Default", {kOptionInset, 0, 1095 - kOptionInset, 375}, nullptr, "Frame3"},
        {"Option11", Kind::OptionButton, "TXT", {kOptionInset, 375, 1095 - kOptionInset, 375}, nullptr, "Frame3"},
        {"Option12", Kind::OptionButton, "Custom", {kOptionInset, 750, 1095 - kOptionInset, 375}, nullptr, "Frame3"},
        {"cmdOK", Kind::Button, "OK", {3600, 1680, 1095, 375}},
        {"cmdCancel", Kind::Button, "Cancel", {3600, 2160, 1095, 375}},
        {"cmdApply", Kind::Button, "Apply", {3600, 2640, 1095, 375}},
        // Why the last OK or Apply saved nothing, in the free strip under the groups.
        {"lblError", Kind::Label, "", {240, 3060, 4455, 225}},
    };
    return controls;
}

const ControlSpec& SettingsDialogControl(std::string_view name) {
    return FindControl(SettingsDialogControls(), name);
}

}  // namespace bayhaul
