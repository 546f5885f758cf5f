#include "app/report_window_layout.h"

#include <filesystem>

#include "press/history.h"
#include "press/watch_lock.h"

namespace bayhaul {

const ControlTable& ReportWindowControls() {
    static const ControlTable controls = {
        {"ReportText", ControlKind::TextBox, "", {120, 120, 6960, 900}, "Report of the last press"},
        // A row per port, live during a press and kept after it: a dozen in view.
        {"ReportRows", ControlKind::List, "", {120, 1140, 6960, 4500}, "Ports"},
        // What opening the history or the folder met, when it did not go as asked.
        {"ReportNote", ControlKind::Label, "", {120, 5700, 6960, 420}},
        {"OpenHistory", ControlKind::Button, "Open History", {120, 6180, 1575, 375}},
        {"OpenFolder", ControlKind::Button, "Open Folder", {1815, 6180, 1575, 375}},
        {"CloseReport", ControlKind::Button, "Close", {5505, 6180, 1575, 375}},
        {"ShowAtPress", ControlKind::CheckBox, "Show this window at every press", {120, 6660, 4800, 255}},
    };
    return controls;
}

namespace {

// The running watch, and its lines of today without their date.
std::string WatchReport(const RunningWatchText& watch, const std::string& today) {
    std::string text = "A watch collects terminals as they are docked (" + watch.holder + ").";
    std::string collected;
    for (const std::string& line : watch.today) {
        if (line.rfind(today + " ", 0) == 0) collected += "\n" + line.substr(today.size() + 1);
    }
    return text + (collected.empty() ? " It has collected nothing today." : " Today:" + collected);
}

}  // namespace

std::string LastPressReport(const MainWindowState& state) {
    std::string text = "No press yet.";
    if (!state.Label2.empty() || !state.Label2Report.empty()) {
        text = state.Label2;
        if (!state.ProblemLine.empty() && state.ProblemLine != state.Label2) text += "\n" + state.ProblemLine;
        const std::string history = HistoryFilePath(state);
        if (!history.empty()) text += "\n\nEvery press is in " + history + ".";
    }
    if (const std::optional<RunningWatchText> watch = RunningWatch(state.StateFolder()))
        text += "\n\n" + WatchReport(*watch, HistoryTime(state.Now()).substr(0, 10));
    return text;
}

std::string HistoryFilePath(const MainWindowState& state) {
    if (state.StateFolder().empty()) return "";
    const std::filesystem::path path = std::filesystem::path(state.StateFolder()) / kHistoryFile;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) ? path.string() : "";
}

}  // namespace bayhaul
