// The Settings dialog as it is designed: its caption, its client size and
// every control with its caption and its place in twips. The Qt dialog and
// a native Windows one both build their controls from this table.
#pragma once

#include "settings/twips.h"

#include <string>
#include <string_view>
#include <vector>

namespace bayhaul {

enum class SettingsControlKind { Picture, Label, TextBox, Frame, OptionButton, Button };

struct SettingsControlSpec {
    const char* name;  // the designer name, e.g. "Option6"
    SettingsControlKind kind;
    const char* text;             // the caption; empty for text boxes, frames and the picture
    TwipsRect place;              // inside `frame` when the control has one, else inside the dialog
    const char* frame = nullptr;  // the captionless group an option button sits in
    // What screen readers call the control where its caption does not say
    // what it is (the text boxes, the groups); null: its caption.
    const char* accessibleName = nullptr;
};

inline constexpr char kSettingsDialogCaption[] = "Settings";
inline constexpr int kSettingsDialogWidthTwips = 4995;
inline constexpr int kSettingsDialogHeightTwips = 3300;

// Every control, in the order the dialog stacks them: the background
// picture first, each frame before its options.
const std::vector<SettingsControlSpec>& SettingsDialogControls();

// The control of that designer name; the name must be in the table.
const SettingsControlSpec& SettingsDialogControl(std::string_view name);

// What screen readers call the control.
const char* AccessibleName(const SettingsControlSpec& control);
// The same, preceded by its group's name for an option, for a window whose
// groups are not elements of their own: "Extension: Default".
std::string AccessibleNameWithGroup(const SettingsControlSpec& control);

}  // namespace bayhaul
