// The report window: the whole report of the last press, opened from the
// main window's status line, with a way to the history of every press. Its
// caption, texts and places, and what it shows, for both window front ends.
#pragma once

#include <string>

#include "app/main_window_state.h"
#include "settings/twips.h"

namespace bayhaul {

inline constexpr char kReportWindowCaption[] = "Bayhaul: the last press";
inline constexpr int kReportWindowWidthTwips = 7200;
inline constexpr int kReportWindowHeightTwips = 4200;

struct ReportWindowControl {
    const char* text;
    TwipsRect place;
};
// The report, read-only, and the two buttons under it.
inline constexpr ReportWindowControl kReportText{"", {120, 120, 6960, 3420}};
inline constexpr ReportWindowControl kOpenHistory{"Open History", {120, 3660, 1575, 375}};
inline constexpr ReportWindowControl kCloseReport{"Close", {5505, 3660, 1575, 375}};

// What the window shows: the status line, then each port's line, then
// where the history is.
std::string LastPressReport(const MainWindowState& state);

// The history file of the user, or "" when there is none yet.
std::string HistoryFilePath(const MainWindowState& state);

}  // namespace bayhaul
