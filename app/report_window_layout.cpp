#include "app/report_window_layout.h"

#include <filesystem>

#include "press/history.h"

namespace bayhaul {

const ControlTable& ReportWindowControls() {
    static const ControlTable controls = {
        {"ReportText", ControlKind::TextBox, "", {120, 120, 6960, 3420}, "Report of the last press"},
        {"OpenHistory", ControlKind::Button, "Open History", {120, 3660, 1575, 375}},
        {"CloseReport", ControlKind::Button, "Close", {5505, 3660, 1575, 375}},
    };
    return controls;
}

std::string LastPressReport(const MainWindowState& state) {
    if (state.Label2.empty() && state.Label2Report.empty()) return "No press yet.";
    std::string text = state.Label2;
    if (!state.ProblemLine.empty() && state.ProblemLine != state.Label2) text += "\n" + state.ProblemLine;
    if (!state.Label2Report.empty()) text += "\n\n" + state.Label2Report;
    const std::string history = HistoryFilePath(state);
    if (!history.empty()) text += "\n\nEvery press is in " + history + ".";
    return text;
}

std::string HistoryFilePath(const MainWindowState& state) {
    if (state.StateFolder().empty()) return "";
    const std::filesystem::path path = std::filesystem::path(state.StateFolder()) / kHistoryFile;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) ? path.string() : "";
}

}  // namespace bayhaul
