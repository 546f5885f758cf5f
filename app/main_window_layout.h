// The main window as it is designed: its caption, its client size and every
// control with its text and its place in twips. Each window front end builds
// its controls from this table, so no caption or position is written twice.
#pragma once

#include "ui/control_table.h"

#include <string_view>

namespace bayhaul {

inline constexpr char kMainWindowCaption[] = "Bayhaul";
inline constexpr int kMainWindowWidthTwips = 7380;
inline constexpr int kMainWindowHeightTwips = 6840;
// The picture on the download button, in pixels.
inline constexpr int kDownloadPictureWidth = 102;
inline constexpr int kDownloadPictureHeight = 41;
// The width of the ring that shows which button or box has the focus in the
// Qt window, in pixels at 96 DPI. The Windows one shows the system's focus
// rectangle.
inline constexpr int kFocusRingWidth = 2;
// The problem line's colours: dark red on pale red; its text keeps this
// margin from the sides, in pixels at 96 DPI.
inline constexpr unsigned kProblemTextColour = 0x9B1C1C;
inline constexpr unsigned kProblemBackColour = 0xFDE8E8;
inline constexpr int kProblemMargin = 4;
// Both timers tick once a second.
inline constexpr int kTimerIntervalMs = 1000;

// Every control, in the order the window stacks them.
const ControlTable& MainWindowControls();

// The control of that designer name; the name must be in the table.
const ControlSpec& MainWindowControl(std::string_view name);

}  // namespace bayhaul
