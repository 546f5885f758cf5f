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
    // Whether the connected terminal has its data file, asking once more
    // on a fresh link at the other setting; reports the port when it has not.
    bool TerminalHasFile(TerminalSession& session, std::int16_t port);
    // Fetches the file of the connected terminal; the report line's text
    // when it is in place.
    std::optional<std::string> Fetch(TerminalSession& session, std::int16_t port);
    std::int16_t PollStep(std::int16_t status, const TransferProgress& progress);
    // Why a transfer that ended so, leaving a file of `size` bytes (none
    // when nothing), did not bring the whole file; "" when it did.
    std::string WhyNotReceived(const TerminalSession& session, const TransferEnd& end,
                               const std::optional<std::uintmax_t>& size) const;
    // Deletes the file on the terminal and sets its clock, as the boxes
    // ask; what did not go as asked, to add to the port's line.
    std::string AfterSaving(TerminalSession& session);
    // Sets the terminal's clock to this moment; what Tether_ESC_M gave.
    std::int16_t SetTerminalClockNow(TerminalSession& session);
    // Why received files cannot be saved where the settings say; "" when they can.
    std::string SaveFolderProblem() const;

    void Report(std::int16_t port, PortOutcome outcome, const std::string& text, const std::string& why = "",
                bool warning = false);
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

    DownloadResult result_;                // its ports are the report, a line per port
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
