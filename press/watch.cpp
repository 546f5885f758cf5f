#include "press/watch.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "press/com_port_name.h"
#include "press/download.h"
#include "press/history.h"
#include "press/port_watch.h"
#include "press/worker_probe.h"

namespace bayhaul {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kListEvery{1000};
constexpr milliseconds kStopCheck{100};

// The window of a watch's press: it shows nothing while the press runs (the
// watch prints each collection's line), and a stop ends the press safely.
class WatchWindow final : public DownloadWindow {
public:
    explicit WatchWindow(const std::function<bool()>& stop) : stop_(stop) {}

    void ShowStatus(const std::string& text) override { status = text; }
    void ShowReport(const std::vector<PortReport>&) override {}
    void ShowProgress(int) override {}
    void ShowProblem(const std::string&) override {}
    bool StopRequested() override { return stop_(); }

    std::string status;

private:
    const std::function<bool()>& stop_;
};

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

int RunWatch(const PressEnvironment& environment, PressInputs& inputs, const PressLockTaker& pressLock,
             std::ostream& out, const std::function<bool()>& stop) {
    out << "Watching the serial ports for terminals; Ctrl+C stops." << std::endl;
    WatchWindow window(stop);
    PortWatch watch;
    std::vector<std::string> saved;  // this run's files, never replaced
    std::string listingTrouble, probeTrouble;
    auto listed = PortWatch::Clock::time_point();
    const auto say = [&](const std::string& line) { out << TimeOfDay(environment.clock.Now()) << " " << line << std::endl; };
    while (!stop()) {
        const auto now = PortWatch::Clock::now();
        if (now - listed >= kListEvery) {
            listed = now;
            std::string why;
            if (const auto ports = ListComPorts(environment.devicePlatform, why)) {
                watch.Present(*ports);
            } else if (why != listingTrouble) {
                say("listing the serial ports failed: " + why);
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
            const std::unique_ptr<PressLock> lock = pressLock(why);
            if (!lock) {
                Idle(now + kListEvery, stop);
                continue;
            }
            const PortProbe probe = ProbeInWorker(*environment.workers, environment.libraryFile, *port,
                                                  environment.limits.call, why);
            // A library that cannot be used is said once, until it changes.
            if (why != probeTrouble && !why.empty()) say("COM" + std::to_string(*port) + ": " + why);
            probeTrouble = why;
            collect = watch.Probed(*port, probe, PortWatch::Clock::now());
        }
        if (!collect) continue;
        std::string why;
        const std::unique_ptr<PressLock> lock = pressLock(why);
        if (!lock) continue;  // a press of the user took the port: it is probed again later
        const DownloadResult result =
            DownloadFromAllTerminals(environment, inputs, window, {std::vector<std::int16_t>{*port}, saved}).Run();
        saved.insert(saved.end(), result.savedFiles.begin(), result.savedFiles.end());
        bool done = !result.couldNotRun && result.NotSaved() == 0;
        for (const PortReport& line : result.ports) {
            say(line.text);
            if (line.port == *port && line.outcome == PortOutcome::NoTerminal) done = false;
        }
        if (result.couldNotRun && result.ports.empty()) say(window.status);
        watch.Collected(*port, done);
    }
    out << "Stopped." << std::endl;
    return 0;
}

}  // namespace bayhaul
