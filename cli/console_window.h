// The press's window on a terminal (bayhaul --download): status lines go
// to the output as they come, and each port's line once it is final and
// every port before it has printed its own, so the lines come in port
// order. While a file that arrived waits for an earlier port's name, a line
// says so every 10 s, so a long wait is never silent.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "press/download_window.h"

namespace bayhaul {

class ConsoleWindow final : public DownloadWindow {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kWaitNoteEvery{10};

    // `stop` tells whether the user asked the press to stop (Ctrl+C).
    ConsoleWindow(std::ostream& out, Clock now, std::function<bool()> stop)
        : out_(out), now_(std::move(now)), stop_(std::move(stop)) {}

    void ShowStatus(const std::string& text) override;
    void ShowReport(const std::vector<PortReport>& report) override;
    void ShowProgress(int) override {}
    void ShowProblem(const std::string&) override {}  // the summary tells, at the end
    // Asked at least every 100 ms while the press runs: the time for a note.
    bool StopRequested() override;

private:
    void SayWhatWaits();

    std::ostream& out_;
    Clock now_;
    std::function<bool()> stop_;
    std::vector<std::string> printed_;
    std::vector<PortReport> report_;  // the latest, for the notes
    std::optional<std::chrono::steady_clock::time_point> noteCountsFrom_;  // while something waits
};

}  // namespace bayhaul
