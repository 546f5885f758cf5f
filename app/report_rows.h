// The report as the live view shows it: a row per port, in port order, each
// with its state in words and, while its file arrives, how far it is.
#pragma once

#include <string>
#include <vector>

#include "press/download_result.h"

namespace bayhaul {

struct ReportRow {
    enum class Kind { Running, Saved, Warning, NotSaved, Note };
    std::string port;   // "COM3"; "" for a line of the press itself
    std::string state;  // the line after its "COM3: "
    int percent = -1;   // Running: how far the file has come, 0 to 100; -1 when not known
    Kind kind = Kind::Note;
};

// The view's columns.
inline constexpr const char* kReportColumns[] = {"Port", "State", "Progress"};
inline constexpr int kReportColumnCount = 3;

std::vector<ReportRow> ReportRows(const std::vector<PortReport>& lines);

// What a row shows in a column ("45%", "saved", "not saved" in Progress).
std::string ReportCell(const ReportRow& row, int column);

}  // namespace bayhaul
