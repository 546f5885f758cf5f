// The download from all terminals: one press of the main button. It lists
// the serial ports, tries a terminal on each COM port, and saves the data
// file of every terminal that answers as a file of its own, then deletes
// the file on the terminal and sets its clock when the boxes say so.
//
// The ports' sessions (PortSession) run side by side when the library says
// it allows that, and one after another otherwise, as they always did with
// a library that has not said so: such a library never gets two calls at
// once. Either way the press stays on the window's thread and the files are
// named in the order of the port list, whatever order they arrive in.
//
// The terminal's file is deleted only once an identical copy is in place on
// the PC. The library writes into a ".part" file of the port's own, which
// is put in place under the file's name only when complete; a failed
// transfer leaves an old file as it was and no partial file behind.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "press/download_result.h"
#include "press/download_window.h"
#include "app/main_window_state.h"
#include "press/port_session.h"
#include "press/press_scope.h"
#include "press/window_calls.h"
#include "ports/device_platform.h"

namespace bayhaul {

class DownloadFromAllTerminals {
public:
    // One port after another: the poll of a running transfer waits this
    // long for window events.
    static constexpr std::chrono::milliseconds kPollWait{5};
    // Side by side: each port's thread polls its transfer this often, and
    // the window's loop comes round at least this often.
    static constexpr std::chrono::milliseconds kThreadPoll{5};
    static constexpr std::chrono::milliseconds kLoopWait{10};
    // A port, or a transfer, whose yield took more Timer2 ticks than this
    // is given up (one port after another only: side by side, nothing the
    // window does holds a transfer up).
    static constexpr std::int16_t kStallTicks = 10;
    // A transfer whose received count has not moved for this long is given
    // up (for a library that reports its progress).
    static constexpr std::chrono::seconds kNoDataLimit{30};

    DownloadFromAllTerminals(MainWindowState& state, DownloadWindow& window, TetherSource& library,
                             const DevicePlatformFactory& devices, PressScope scope = {});
    ~DownloadFromAllTerminals();

    DownloadResult Run();

private:
    class DirectHost;
    class ThreadedHost;

    // One port's turn in one pass.
    struct Turn {
        explicit Turn(std::int16_t comPort) : port(comPort) {}
        const std::int16_t port;
        // What the file is to be called, taken when its transfer starts.
        std::string folder, baseName, extension;
        // Its transfer, as the port's session last saw it.
        std::atomic<std::int32_t> received{0};
        std::atomic<std::int32_t> announced{0};
        std::atomic<bool> transferring{false};
        std::atomic<bool> ended{false};
        // Side by side only, on the window's thread.
        std::thread thread;
        bool started = false;
        std::optional<std::string> givenUp;  // why the window's loop gave the transfer up
        std::atomic<bool> giveUp{false};
        std::int32_t lastReceived = 0;
        std::chrono::steady_clock::time_point lastMoved;
        // The complete file waiting for its name, and the answer it waits for.
        struct Waiting {
            std::string part;
            std::uintmax_t size;
            std::promise<std::optional<std::string>> saved;
            std::string why;
        };
        std::unique_ptr<Waiting> waiting;
        bool named = false;  // its file has its name, or it will bring none
        // The file it saved, for the history.
        std::string saved;
        std::uintmax_t bytes = 0;
        std::string sha256;
    };

    // A pass over the ports, and how it runs.
    void RunPass(const std::vector<std::int16_t>& ports, const TetherFunctions& functions, bool sideBySide);
    void RunInTurn(const TetherFunctions& functions);
    void RunSideBySide(const TetherFunctions& functions);
    // Side by side: starts the ports that may start, names the files whose
    // turn it is, and gives up transfers that brought nothing for too long.
    void StartTurns(const TetherFunctions& functions);
    void NameInOrder();
    void WatchForStalls();
    bool AllEnded() const;

    // What the sessions ask of the press, on the window's thread.
    std::string PartPath(Turn& turn, std::string& why);
    void TransferStarts(Turn& turn);
    bool KeepWaitingInTurn(Turn& turn, const TransferProgress& progress, std::string& givenUp);
    std::optional<std::string> PutInPlace(Turn& turn, const std::string& part, std::uintmax_t size, std::string& why);
    void Report(Turn& turn, PortOutcome outcome, const std::string& text, const std::string& why, bool warning);

    // The history: a record for a port whose outcome is final, and at the
    // end those of the ports that saved nothing and of a press that could
    // not run. A history that cannot be written is said in the report.
    void Record(const PortReport& line, const Turn* turn);
    void RecordTheRest();

    // The ports of the list, in its order, and the library; nothing when the
    // press cannot go on, having said why.
    std::optional<std::vector<std::int16_t>> ListPorts();
    const TetherFunctions* LoadLibrary();

    // What the window shows.
    void Status(const std::string& text);
    void ShowReport();
    void ShowProgress();
    void Progress(int percent);

    MainWindowState& state_;
    DownloadWindow& window_;
    TetherSource& library_;
    const DevicePlatformFactory& devices_;
    const PressScope scope_;

    DownloadResult result_;                 // its ports are the report's final lines
    std::vector<std::string> savedPaths_;   // the run's files taken earlier, then this press's, in order
    std::deque<std::unique_ptr<Turn>> turns_;  // of every pass, in the order of the list
    std::size_t passStart_ = 0;             // the first turn of the running pass
    std::atomic<bool> stopping_{false};     // the window is closing: every session stops
    std::string started_;                   // when, for the history
    std::string historyTrouble_;            // why the history could not be written
    WindowCalls calls_;
    std::string reportShown_;
    int progressShown_ = -1;
};

}  // namespace bayhaul
