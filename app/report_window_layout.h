// The report window: the whole report of the last press, opened from the
// main window's status line, with a way to the history of every press. Its
// caption, texts and places, and what it shows, for both window front ends.
#pragma once

#include <string>

#include "app/main_window_state.h"
#include "ui/control_table.h"

namespace bayhaul {

inline constexpr char kReportWindowCaption[] = "Bayhaul: the last press";
inline constexpr int kReportWindowWidthTwips = 7200;
inline constexpr int kReportWindowHeightTwips = 7140;

// The press's status, read-only; its ports' rows; a note on what the
// buttons met; the buttons: the history, the folder of received files,
// Close; and whether the window opens at every press.
const ControlTable& ReportWindowControls();

// What the window's text shows: the status line, the problem line, and
// where the history is; and, while a watch of the user runs, since when and
// what it collected today. Each port's line is a row of its own
// (report_rows.h).
std::string LastPressReport(const MainWindowState& state);

// The history file of the user, or "" when there is none yet.
std::string HistoryFilePath(const MainWindowState& state);

}  // namespace bayhaul
