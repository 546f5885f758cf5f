// The Settings dialog as it is designed: its caption, its client size and
// every control with its caption and its place in twips. The Qt dialog and
// a native Windows one both build their controls from this table.
#pragma once

#include "ui/control_table.h"

#include <string_view>

namespace bayhaul {

inline constexpr char kSettingsDialogCaption[] = "Settings";
inline constexpr int kSettingsDialogWidthTwips = 4995;
inline constexpr int kSettingsDialogHeightTwips = 3300;
// The colour of lblError's words, dark red.
inline constexpr unsigned kErrorTextColour = 0xA00000;

// Every control, in the order the dialog stacks them: the background
// picture first, each frame before its options.
const ControlTable& SettingsDialogControls();

// The control of that designer name; the name must be in the table.
const ControlSpec& SettingsDialogControl(std::string_view name);


}  // namespace bayhaul
