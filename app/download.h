// The download from all terminals: one press of the main button. It lists
// the serial ports, tries a terminal on each COM port, and saves the data
// file of every terminal that answers as a file of its own, then deletes
// the file on the terminal and sets its clock when the boxes say so.
//
// The terminal's file is deleted only once an identical copy is in place on
// the PC. The library writes into "<target>.part", which replaces the target
// only when complete; a failed transfer leaves an old file at the target as
// it was and no partial file behind.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/download_result.h"
#include "app/download_window.h"
#include "app/main_window_state.h"
#include "link/terminal_session.h"
#include "ports/dev_lister.h"
#include "ports/device_platform.h"

namespace bayhaul {

class DownloadFromAllTerminals {
public:
    // The poll of a running transfer waits this long for window events.
    static constexpr std::chrono::milliseconds kPollWait{30};
    // A port, or a transfer, whose yield took more Timer2 ticks than this
    // is given up.
    static constexpr std::int16_t kStallTicks = 10;
    // A transfer whose received count has not moved for this long is given
    // up (for a library that reports its progress).
    static constexpr std::chrono::seconds kNoDataLimit{30};

    DownloadFromAllTerminals(MainWindowState& state, DownloadWindow& window, TetherSource& library,
                             const DevicePlatformFactory& devices);

    DownloadResult Run();

private:
    enum class StepEnd { Next, StopPress };

    void RunPass(DevLister& lister);
    StepEnd DeviceStep(DevLister& lister, std::int32_t position);
    StepEnd TryTerminal(std::int16_t port);
    // Fetches the file of the connected terminal; true when it is in place.
    bool Fetch(TerminalSession& session, std::int16_t port);
    std::int16_t PollStep(std::int16_t status, const TransferProgress& progress);
    // Why a transfer that ended so, leaving a file of `size` bytes (none
    // when nothing), did not bring the whole file; "" when it did.
    std::string WhyNotReceived(const TransferEnd& end, const std::optional<std::uintmax_t>& size) const;
    // Sets the terminal's clock to this moment.
    void SetTerminalClockNow(TerminalSession& session);
    // Why received files cannot be saved where the settings say; "" when they can.
    std::string SaveFolderProblem() const;

    // How far a terminal got, in rising order: the report keeps the
    // furthest outcome of the two passes on each port.
    enum class Outcome { NoTerminal, NoFile, NotSaved, Saved };
    void Report(std::int16_t port, Outcome outcome, const std::string& text);
    void NotSaved(std::int16_t port, const std::string& why);
    void ShowPassProgress(double portsDone);
    // Store in the main window's state and show.
    void Status(const std::string& text);
    void ShowReport();
    void Progress(int percent);

    MainWindowState& state_;
    DownloadWindow& window_;
    TetherSource& library_;
    const DevicePlatformFactory& devices_;

    DownloadResult result_;
    struct ReportLine {
        std::int16_t port;  // 0: the press itself
        Outcome outcome;
        std::string text;
    };
    // One line per port, in the order the ports were first tried.
    std::vector<ReportLine> report_;
    std::vector<std::string> savedPaths_;  // the files this press has put in place
    std::int32_t position_ = 0;            // of the device being handled, from 1
    std::int32_t count_ = 0;               // devices in the list
    // Why the running transfer was given up; empty while it runs.
    std::string givenUp_;
    // The received count of the running transfer and when it last moved.
    std::int32_t lastReceived_ = 0;
    std::chrono::steady_clock::time_point lastMoved_;
    bool libraryMissing_ = false;
};

}  // namespace bayhaul
