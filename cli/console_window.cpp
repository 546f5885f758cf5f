#include "cli/console_window.h"

#include <algorithm>

namespace bayhaul {

namespace {

bool WaitsForAName(const PortReport& line) {
    return !line.final && line.waitingFor > 0;
}

}  // namespace

void ConsoleWindow::ShowStatus(const std::string& text) {
    out_ << text << std::endl;
}

void ConsoleWindow::ShowReport(const std::vector<PortReport>& report) {
    report_ = report;
    for (const PortReport& line : report) {
        if (!line.final) break;  // the lines after it wait for it
        if (std::find(printed_.begin(), printed_.end(), line.text) != printed_.end()) continue;
        printed_.push_back(line.text);
        out_ << line.text << std::endl;
    }
}

bool ConsoleWindow::StopRequested() {
    SayWhatWaits();
    return stop_();
}

void ConsoleWindow::SayWhatWaits() {
    if (std::none_of(report_.begin(), report_.end(), WaitsForAName)) {
        noteCountsFrom_.reset();
        return;
    }
    const auto now = now_();
    if (!noteCountsFrom_) noteCountsFrom_ = now;
    if (now - *noteCountsFrom_ < kWaitNoteEvery) return;
    noteCountsFrom_ = now;
    for (const PortReport& line : report_) {
        if (WaitsForAName(line)) out_ << line.text << std::endl;
    }
}

}  // namespace bayhaul
