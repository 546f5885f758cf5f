#include "press/watch.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <thread>

#include "press/com_port_name.h"
#include "press/download.h"
#include "press/history.h"
#include "press/port_watch.h"
#include "press/press_handover.h"
#include "press/worker_probe.h"

namespace bayhaul {

namespace {

using std::chrono::milliseconds;
using Clock = PortWatch::Clock;

constexpr milliseconds kListEvery{1000};
constexpr milliseconds kStopCheck{100};
// How often the lock is tried again while a press of the user holds it.
constexpr milliseconds kLockRetry{500};
// The lines of the day a window is told of, at most.
constexpr std::size_t kToldLines = 50;

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

// Whether the lock was refused because a press of the user runs, which is
// no news, rather than because it could not be taken at all.
bool AnotherPressRuns(const std::string& why) {
    return why.rfind("Another press is running", 0) == 0;
}

std::string Port(std::int16_t port) {
    return "COM" + std::to_string(port) + ": ";
}

class Watcher {
public:
    explicit Watcher(const WatchSetup& setup)
        : setup_(setup), environment_(setup.environment),
          stop_([this] { return setup_.stop() || setup_.desktop.QuitAsked(); }),
          requests_(environment_.stateFolder), window_(stop_) {}

    void Run() {
        Write("Watching the serial ports for terminals; Ctrl+C stops.");
        while (!stop_()) {
            ListIfDue();
            if (setup_.desktop.Paused()) {
                held_.reset();  // the ports are any press's meanwhile
                ShowState("Paused");
                Idle(Clock::now() + kStopCheck);
                continue;
            }
            if (!HoldLock()) {
                ShowState("Waiting for a press of yours to end");
                Idle(nextLockTry_);
                continue;
            }
            ShowState("Watching " + std::to_string(ports_) + (ports_ == 1 ? " port" : " ports"));
            const std::optional<std::int16_t> port = watch_.NextProbe(Clock::now());
            if (!port) {
                Idle(std::min(watch_.NextDue(), listed_ + kListEvery));
                continue;
            }
            if (Probe(*port)) Collect(*port);
        }
        Write("Stopped.");
    }

private:
    void Write(const std::string& text) {
        setup_.journal << text << std::endl;
        setup_.desktop.Journal(text);
    }
    void Say(const std::string& line) { Write(HistoryTime(environment_.clock.Now()).substr(11) + " " + line); }
    // Says `line` unless it was the last thing said this way.
    void SayOnce(const std::string& line) {
        if (line != saidOnce_) Say(line);
        saidOnce_ = line;
    }
    // Says a collection's line, and tells windows of it with the day's others.
    void SayCollected(const std::string& line) {
        Say(line);
        const std::string now = HistoryTime(environment_.clock.Now());
        if (now.substr(0, 10) != toldDay_) told_.clear();
        toldDay_ = now.substr(0, 10);
        told_.push_back(now + " " + line);
        if (told_.size() > kToldLines) told_.erase(told_.begin());
        setup_.watchLock.Tell(told_);
    }

    void ShowState(const std::string& state) {
        if (state == stateShown_) return;
        stateShown_ = state;
        setup_.desktop.ShowState(state);
    }

    void ListIfDue() {
        const auto now = Clock::now();
        if (now - listed_ < kListEvery) return;
        listed_ = now;
        std::string why;
        if (const auto ports = ListComPorts(environment_.devicePlatform, why)) {
            ports_ = ports->size();
            for (const std::int16_t port : watch_.Present(*ports)) LeftUnsaved(port);
        } else if (why != listingTrouble_) {
            Say("listing the serial ports failed: " + why);
        }
        listingTrouble_ = why;
    }

    // The press lock, held while the watch waits and probes, so that no
    // press opens a port under a probe; let go as soon as a press asks for
    // it, and taken again once that press has ended. True while held.
    bool HoldLock() {
        if (requests_.Pending()) {
            held_.reset();
            nextLockTry_ = Clock::now() + kStopCheck;
            return false;
        }
        if (held_) return true;
        if (Clock::now() < nextLockTry_) return false;
        nextLockTry_ = Clock::now() + kLockRetry;
        std::string why;
        held_ = setup_.pressLock(why);
        const std::string trouble = held_ || AnotherPressRuns(why) ? "" : why;
        if (!trouble.empty() && trouble != lockTrouble_) Say(trouble);
        lockTrouble_ = trouble;
        return held_ != nullptr;
    }

    // Sleeps until `until`, a stop, a pause, or a press asking for the lock held.
    void Idle(Clock::time_point until) {
        const bool paused = setup_.desktop.Paused();
        while (!stop_() && Clock::now() < until && setup_.desktop.Paused() == paused &&
               !(held_ && requests_.Pending())) {
            std::this_thread::sleep_for(std::min<Clock::duration>(kStopCheck, until - Clock::now()));
        }
    }

    // Probes `port`; true when its terminal is to be collected now. A probe
    // is given up for a press that asks for the lock, and done again later.
    bool Probe(std::int16_t port) {
        std::string why;
        const std::optional<PortProbe> probe = ProbeInWorker(
            *environment_.workers, environment_.libraryFile, port, environment_.limits.call,
            [this] { return stop_() || setup_.desktop.Paused() || requests_.Pending(); }, why);
        if (!probe) return false;
        // A library that cannot be used is said once, until it changes.
        if (why != probeTrouble_ && !why.empty()) Say(Port(port) + why);
        probeTrouble_ = why;
        const PortWatch::Step step = watch_.Probed(port, *probe, Clock::now());
        if (step == PortWatch::Step::LeftUnsaved) LeftUnsaved(port);
        return step == PortWatch::Step::Collect;
    }

    // The collection is a press for the port alone, by every rule of a
    // press; the lock is taken again in its name, so a press that asks
    // meanwhile is refused and told since when it runs.
    void Collect(std::int16_t port) {
        if (requests_.Pending()) return;  // the press goes first; the terminal is probed again after it
        held_.reset();
        std::string why;
        held_ = setup_.pressLock(why);
        if (!held_) return;  // a press of the user took the port: it is probed again later
        ShowState("Collecting COM" + std::to_string(port));
        PressScope scope{std::vector<std::int16_t>{port}, saved_};
        scope.keepFilesSavedSince = started_;
        // Each failure once, and nothing where there was nothing to do.
        scope.recordNothingFound = false;
        scope.recordFailures = !watch_.FailureSaid(port);
        // The settings of now; what was wrong with the file goes on the port's line.
        const std::string settings = setup_.settings.Reload();
        const std::string note = settings.empty() ? "" : "; " + settings;
        const DownloadResult result = DownloadFromAllTerminals(environment_, setup_.settings, window_, scope).Run();
        saved_.insert(saved_.end(), result.savedFiles.begin(), result.savedFiles.end());
        const int tries = watch_.Failures(port) + 1;
        const bool news = watch_.Collected(port, OutcomeOf(result, port), Clock::now());
        for (const PortReport& line : result.ports) {
            if (line.port == 0) {
                SayOnce(line.text);
            } else if (line.outcome == PortOutcome::Saved) {
                SayCollected(line.text + (tries > 1 ? ", at try " + std::to_string(tries) : "") + note);
                setup_.desktop.Notify(SavedNotice(line.port, result));
            } else if (line.outcome == PortOutcome::NoFile) {
                Say(line.text + note);  // not collected again while it stays
            } else if (line.outcome == PortOutcome::NotSaved && result.stopped) {
                SayCollected(line.text + note);  // the watch is stopping: no failure to try again
            } else if (line.outcome == PortOutcome::NotSaved && news) {
                SayCollected(line.text + "; tried again while it stays" + note);
                setup_.desktop.Notify(Port(line.port) + "not saved: " + line.why);
            }
        }
        if (result.couldNotRun && result.ports.empty() && news) {
            SayCollected(Port(port) + "not collected: " + window_.status + note);
            setup_.desktop.Notify(Port(port) + "not collected: " + window_.status);
        }
    }

    // "COM3: saved FORM02.DAT, 12,345 bytes".
    std::string SavedNotice(std::int16_t port, const DownloadResult& result) const {
        if (result.savedFiles.empty()) return Port(port) + "saved";
        const std::filesystem::path file = result.savedFiles.back();
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        return Port(port) + "saved " + file.filename().string() +
               (error ? "" : ", " + environment_.locale.Number(static_cast<long long>(size)) + " bytes");
    }

    static PortWatch::Outcome OutcomeOf(const DownloadResult& result, std::int16_t port) {
        if (result.couldNotRun || result.NotSaved() > 0) return PortWatch::Outcome::Failed;
        const bool answered = std::any_of(result.ports.begin(), result.ports.end(), [port](const PortReport& line) {
            return line.port == port && line.outcome != PortOutcome::NoTerminal;
        });
        return answered ? PortWatch::Outcome::Done : PortWatch::Outcome::NoAnswer;
    }

    void LeftUnsaved(std::int16_t port) { SayCollected(Port(port) + "the terminal left unsaved; it keeps its data"); }

    const WatchSetup& setup_;
    const PressEnvironment& environment_;
    const std::function<bool()> stop_;
    const PressRequests requests_;
    WatchWindow window_;

    PortWatch watch_;
    std::size_t ports_ = 0;
    std::unique_ptr<PressLock> held_;
    Clock::time_point listed_{}, nextLockTry_{};
    std::vector<std::string> saved_;  // this run's files, never replaced
    // Nor is any file saved since the watch started, by it or by a press
    // (a second before, as file times may lag the clock a little).
    const std::filesystem::file_time_type started_ =
        std::filesystem::file_time_type::clock::now() - std::chrono::seconds(1);
    std::string listingTrouble_, probeTrouble_, lockTrouble_, saidOnce_, stateShown_;
    std::vector<std::string> told_;  // today's collections, as windows are told
    std::string toldDay_;
};

}  // namespace

int RunWatch(const WatchSetup& setup) {
    Watcher(setup).Run();
    return 0;
}

}  // namespace bayhaul
