// The Settings dialog as it is designed: its caption, its client size and
// every control with its caption and its place in twips. The Qt dialog and
// a native Windows one both build their controls from this table.
#pragma once

#include "settings/twips.h"

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
};

inline constexpr char kSettingsDialogCaption[] = "Settings";
inline constexpr int kSettingsDialogWidthTwips = 4995;
inline constexpr int kSettingsDialogHeightTwips = 3300;

// Every control, in the order the dialog stacks them: the background
// picture first, each frame before its options.
const std::vector<SettingsControlSpec>& SettingsDialogControls();

// The control of that designer name; the name must be in the table.
const SettingsControlSpec& SettingsDialogControl(std::string_view name);

}  // namespace bayhaul
