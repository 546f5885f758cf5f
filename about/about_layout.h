// The About box as it is designed: its size, its colour and its three
// controls in twips, for both window front ends. Its caption and the texts
// of its labels come from the build (about_texts.h).
#pragma once

#include "ui/control_table.h"

namespace bayhaul {

inline constexpr int kAboutBoxWidthTwips = 4500;
inline constexpr int kAboutBoxHeightTwips = 1440;
inline constexpr unsigned kAboutBoxBackColour = 0xE8EFF6;

// The icon, the title over the version.
const ControlTable& AboutBoxControls();

}  // namespace bayhaul
