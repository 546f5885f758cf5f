#include "press/watch.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "press/com_port_name.h"
#include "press/download_window.h"
#include "press/history.h"
#include "press/port_watch.h"
#include "link/terminal_session.h"

namespace bayhaul {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kListEvery{1000};
constexpr milliseconds kStopCheck{100};

// The window of a watch's press: it shows nothing while the press runs (the
// watch prints each collection's line), and a stop ends the press safely.
class WatchWindow final : public DownloadWindow {
public:
    WatchWindow(MainWindowState& state, const std::function<bool()>& stop) : state_(state), stop_(stop) {}

    void ShowStatus(const std::string&) override {}
    void ShowReport(const std::vector<PortReport>&) override {}
    void ShowProgress(int) override {}
    void ShowProblem(const std::string&) override {}
    void StartTimer2() override {}
    void YieldOnce(milliseconds wait) override {
        if (wait.count() > 0) std::this_thread::sleep_for(wait);
        if (stop_()) state_.RequestClose();
    }

private:
    MainWindowState& state_;
    const std::function<bool()>& stop_;
};

// Whether a terminal answers on `port` now. A port another program holds
// is left alone.
PortWatch::Probe ProbePort(const TetherFunctions& functions, std::int16_t port) {
    TerminalSession session(functions);
    const OpenStatus status = session.Connect(port).status;
    if (status == OpenStatus::Connected) return PortWatch::Probe::Terminal;
    if (status == OpenStatus::PortBusy) return PortWatch::Probe::Busy;
    return PortWatch::Probe::NoTerminal;
}

std::string TimeOfDay(const LocalTime& now) {
    return HistoryTime(now).substr(11);
}

// Sleeps until `until` or a stop, whichever comes first.
void Idle(PortWatch::Clock::time_point until, const std::function<bool()>& stop) {
    while (!stop() && PortWatch::Clock::now() < until) {
        std::this_thread::sleep_for(std::min<PortWatch::Clock::duration>(kStopCheck, until - PortWatch::Clock::now()));
    }
}

}  // namespace

int RunWatch(MainWindowState& state, std::ostream& out, const std::function<bool()>& stop) {
    LoadError error;
    const TetherFunctions* functions = state.Library().Functions(error);
    if (functions == nullptr) {
        out << error.Message() << std::endl;
        return 2;
    }
    out << "Watching the serial ports for terminals; Ctrl+C stops." << std::endl;
    WatchWindow window(state, stop);
    PortWatch watch;
    std::vector<std::string> saved;  // this run's files, never replaced
    std::string listingTrouble;
    auto listed = PortWatch::Clock::time_point();
    while (!stop()) {
        const auto now = PortWatch::Clock::now();
        if (now - listed >= kListEvery) {
            listed = now;
            std::string why;
            if (const auto ports = ListComPorts(state.DevicePlatform(), why)) {
                watch.Present(*ports);
            } else if (why != listingTrouble) {
                out << TimeOfDay(state.Now()) << " listing the serial ports failed: " << why << std::endl;
            }
            listingTrouble = why;
        }
        const std::optional<std::int16_t> port = watch.NextProbe(now);
        if (!port) {
            Idle(std::min(watch.NextDue(), listed + kListEvery), stop);
            continue;
        }
        // A probe is part of the one press at a time: it never opens a port
        // under another press of the user.
        bool collect = false;
        {
            std::string why;
            const std::unique_ptr<PressLock> lock = state.TakePressLock(why);
            if (!lock) {
                Idle(now + kListEvery, stop);
                continue;
            }
            collect = watch.Probed(*port, ProbePort(*functions, *port), PortWatch::Clock::now());
        }
        if (!collect) continue;
        const std::optional<DownloadResult> result = state.Press(window, {std::vector<std::int16_t>{*port}, saved});
        if (!result) continue;
        saved.insert(saved.end(), result->savedFiles.begin(), result->savedFiles.end());
        bool done = !result->couldNotRun && result->NotSaved() == 0;
        for (const PortReport& line : result->ports) {
            out << TimeOfDay(state.Now()) << " " << line.text << std::endl;
            if (line.port == *port && line.outcome == PortOutcome::NoTerminal) done = false;
        }
        if (result->couldNotRun && result->ports.empty()) out << TimeOfDay(state.Now()) << " " << state.Label2 << std::endl;
        watch.Collected(*port, done);
    }
    out << "Stopped." << std::endl;
    return 0;
}

}  // namespace bayhaul
