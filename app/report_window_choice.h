// Whether the report window opens at every press: the user's choice, kept
// in Bayhaul's own state folder, since settings.ini keeps its five lines.
#pragma once

#include <string>

namespace bayhaul {

inline constexpr char kReportWindowChoiceFile[] = "report-window.ini";

// False when nothing was chosen yet, or the folder is "".
bool ReadShowReportAtPress(const std::string& stateFolder);

// "" when kept, else why not.
std::string WriteShowReportAtPress(const std::string& stateFolder, bool show);

}  // namespace bayhaul
