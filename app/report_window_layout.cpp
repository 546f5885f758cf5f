#include "app/report_window_layout.h"

#include <filesystem>

#include "app/history.h"

namespace bayhaul {

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
