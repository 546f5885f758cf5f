#include "app/main_window_state.h"

#include "press/download.h"
#include "press/history.h"
#include "app/fit_text.h"
#include "app/main_window_layout.h"
#include "app/report_window_choice.h"
#include "settings/settings_file.h"
#include "settings/timestamp.h"

#include <algorithm>
#include <filesystem>
#include <future>
#include <limits>

namespace bayhaul {

MainWindowState::MainWindowState(Environment environment)
    // The dialog takes its copies before environment_ takes the rest.
    : SettingsDialog({environment.specialFolder, [this] { return SetDate(); }, environment.settingsPath, Settings}),
      Label1(MainWindowControl("Label1").text),
      environment_(std::move(environment)) {}

void MainWindowState::Load() {
    ProgressBar1 = 0;
    SetDate();
    Timer1Tick();
    EnsureSettingsFile(environment_.settingsPath);
    ReadSettingsFile(Settings, environment_.settingsPath);
    Check1 = Settings.sync == "1";
    Check2 = Settings.del == "1";
    ShowReportAtPress = ReadShowReportAtPress(environment_.stateFolder);
}

std::string MainWindowState::ShowReportAtPressClick(bool checked) {
    ShowReportAtPress = checked;
    const std::string trouble = WriteShowReportAtPress(environment_.stateFolder, checked);
    return trouble.empty() ? trouble : "Not kept for the next start: " + trouble;
}

std::string MainWindowState::SetDate() {
    LastStamp = FormatTimestamp(environment_.clock.Now());
    return LastStamp;
}

void MainWindowState::Timer1Tick() {
    Label1 = ClockText(environment_.clock.Now(), environment_.locale);
}

void MainWindowState::Timer2Tick() {
    if (TimerTicks < std::numeric_limits<std::int16_t>::max()) ++TimerTicks;
}

void MainWindowState::Check1Click(bool checked) {
    StoreFlag(Settings.sync, Check1, checked);
}

void MainWindowState::Check2Click(bool checked) {
    StoreFlag(Settings.del, Check2, checked);
}

void MainWindowState::StoreFlag(std::string& field, bool& box, bool checked) {
    box = checked;
    field = checked ? "1" : "0";
    SettingsWriteResult written = WriteSettingsFile(Settings, environment_.settingsPath);
    // A successful write takes back only what a failed one showed: a line
    // a press wrote meanwhile stays.
    if (!settingsError_.empty()) {
        if (Label2 == settingsError_) Label2.clear();
        if (ProblemLine == settingsError_) ProblemLine.clear();
        settingsError_.clear();
    }
    if (!written.ok) {
        settingsError_ = "Settings not saved: " + written.error;
        Label2 = ProblemLine = settingsError_;
    }
}

namespace {

// The problem line after a press: why it could not run, else which
// terminals were not saved and why, else what to try when no terminal
// answered; "" when everything went as asked.
std::string ProblemAfter(const DownloadResult& result, const std::string& status) {
    if (result.couldNotRun) {
        const auto listing = std::find_if(result.ports.begin(), result.ports.end(),
                                          [](const PortReport& line) { return line.port == 0 && !line.note; });
        return listing != result.ports.end() ? listing->text : status;
    }
    if (result.NoTerminalAnswered()) return kNoTerminalHint;
    const std::vector<PortReport> notSaved = NotSavedPorts(result);
    return notSaved.empty() ? "" : NotSavedLine(notSaved);
}

}  // namespace

// What a press reads as it goes, on the thread it runs on.
class MainWindowState::DirectInputs final : public PressInputs {
public:
    explicit DirectInputs(MainWindowState& state) : state_(state) {}
    AppSettings Settings() override { return state_.Settings; }
    bool ClockBox() override { return state_.Check1; }
    bool DeleteBox() override { return state_.Check2; }

private:
    MainWindowState& state_;
};

// The same, for a press on a thread of its own: read on the window's
// thread, where the state lives. A window that does not answer within a
// second (a modal loop that holds its events) gives what it last gave.
class MainWindowState::PostedInputs final : public PressInputs {
public:
    PostedInputs(MainWindowState& state, Post post)
        : state_(state), post_(std::move(post)), last_{state.Settings, state.Check1, state.Check2} {}
    AppSettings Settings() override { return Read().settings; }
    bool ClockBox() override { return Read().clock; }
    bool DeleteBox() override { return Read().del; }

private:
    struct Snapshot {
        AppSettings settings;
        bool clock, del;
    };
    Snapshot Read() {
        auto answer = std::make_shared<std::promise<Snapshot>>();
        std::future<Snapshot> snapshot = answer->get_future();
        post_([answer, &state = state_] { answer->set_value({state.Settings, state.Check1, state.Check2}); });
        if (snapshot.wait_for(std::chrono::seconds(1)) == std::future_status::ready) last_ = snapshot.get();
        return last_;
    }

    MainWindowState& state_;
    Post post_;
    Snapshot last_;
};

// What the press shows, stored in the state and shown on the window.
class MainWindowState::StateWindow final : public DownloadWindow {
public:
    StateWindow(MainWindowState& state, DownloadWindow& window) : state_(state), window_(window) {}
    void ShowStatus(const std::string& text) override {
        state_.Label2 = text;
        window_.ShowStatus(text);
    }
    void ShowReport(const std::vector<PortReport>& report) override {
        state_.Label2Report = ReportText(report);
        state_.ReportLines = report;
        window_.ShowReport(report);
    }
    void ShowProgress(int percent) override {
        state_.ProgressBar1 = percent;
        window_.ShowProgress(percent);
    }
    void ShowProblem(const std::string& text) override {
        state_.ProblemLine = text;
        window_.ShowProblem(text);
    }
    bool StopRequested() override {
        const bool asked = window_.StopRequested();  // which may close the window, and so ask too
        return asked || state_.stopRequested_;
    }

private:
    MainWindowState& state_;
    DownloadWindow& window_;
};

// The same, from a press on a thread of its own: each thing is handed to
// the window's thread.
class MainWindowState::PostedWindow final : public DownloadWindow {
public:
    PostedWindow(MainWindowState& state, DownloadWindow& window, Post post)
        : state_(state), window_(window), post_(std::move(post)) {}
    void ShowStatus(const std::string& text) override {
        Show([text](StateWindow& shown) { shown.ShowStatus(text); });
    }
    void ShowReport(const std::vector<PortReport>& report) override {
        Show([report](StateWindow& shown) { shown.ShowReport(report); });
    }
    void ShowProgress(int percent) override {
        Show([percent](StateWindow& shown) { shown.ShowProgress(percent); });
    }
    void ShowProblem(const std::string& text) override {
        Show([text](StateWindow& shown) { shown.ShowProblem(text); });
    }
    bool StopRequested() override { return state_.stopRequested_; }

private:
    // The call runs on the window's thread, maybe after this object has
    // gone: it holds only what outlives the press.
    template <typename Call>
    void Show(Call call) {
        post_([&state = state_, &window = window_, call] {
            StateWindow shown(state, window);
            call(shown);
        });
    }

    MainWindowState& state_;
    DownloadWindow& window_;
    Post post_;
};

MainWindowState::~MainWindowState() {
    StopPressAndWait();
}

void MainWindowState::StopPressAndWait() {
    if (!pressThread_.joinable()) return;
    stopRequested_ = true;
    pressThread_.join();
}

std::optional<DownloadResult> MainWindowState::Command4Click(DownloadWindow& window) {
    return Press(window, {});
}

std::optional<DownloadResult> MainWindowState::Refused(DownloadWindow& window, std::unique_ptr<PressLock>& lock) {
    std::string why;
    lock = environment_.pressLock(why);
    if (lock) {
        ShowProblem(window, "");
        settingsError_.clear();
        return std::nullopt;
    }
    ShowProblem(window, why);
    if (!StateFolder().empty()) {
        AppendHistory(StateFolder(), {HistoryTime(Now()), NewPressId(Now()), "", why});
    }
    DownloadResult refused;
    refused.couldNotRun = true;
    return refused;
}

std::optional<DownloadResult> MainWindowState::Press(DownloadWindow& window, const PressScope& scope) {
    if (downloadRunning_) return std::nullopt;
    downloadRunning_ = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{downloadRunning_};

    std::unique_ptr<PressLock> lock;
    if (std::optional<DownloadResult> refused = Refused(window, lock)) return refused;
    StateWindow shown(*this, window);
    DirectInputs inputs(*this);
    const PressEnvironment environment = ForPress();
    DownloadResult result = DownloadFromAllTerminals(environment, inputs, shown, scope).Run();
    Finish(window, result);
    return result;
}

bool MainWindowState::StartPress(DownloadWindow& window, Post post,
                                 std::function<void(const DownloadResult&)> ended) {
    if (downloadRunning_) return false;
    std::unique_ptr<PressLock> lock;
    if (std::optional<DownloadResult> refused = Refused(window, lock)) {
        ended(*refused);
        return true;
    }
    downloadRunning_ = true;
    stopRequested_ = false;
    pressThread_ = std::thread([this, &window, post, ended, lock = std::move(lock)]() mutable {
        DownloadResult result;
        {
            PostedWindow shown(*this, window, post);
            PostedInputs inputs(*this, post);
            const PressEnvironment environment = ForPress();
            try {
                result = DownloadFromAllTerminals(environment, inputs, shown, {}).Run();
            } catch (const std::exception& error) {
                // The press's workers are ended already; the window hears why.
                result = {};
                result.couldNotRun = true;
                result.ports.push_back({0, PortOutcome::NoTerminal,
                                        std::string("The press stopped unexpectedly: ") + error.what()});
            }
            lock.reset();
            // What was posted so far is shown before the end.
            std::promise<void> shownAll;
            post([&shownAll] { shownAll.set_value(); });
            shownAll.get_future().wait_for(std::chrono::seconds(1));
        }
        post([this, &window, result, ended] {
            if (pressThread_.joinable()) pressThread_.join();
            downloadRunning_ = false;
            Finish(window, result);
            ended(result);
        });
    });
    return true;
}

void MainWindowState::Finish(DownloadWindow& window, const DownloadResult& result) {
    ProblemPorts = result.couldNotRun ? std::vector<PortReport>() : NotSavedPorts(result);
    ProblemLine = ProblemAfter(result, Label2);
    window.ShowProblem(ProblemLine);
}

void MainWindowState::ShowProblem(DownloadWindow& window, const std::string& text) {
    ProblemLine = text;
    window.ShowProblem(text);
    if (text.empty()) return;
    Label2 = text;
    window.ShowStatus(text);
}

bool MainWindowState::RequestClose() {
    if (!downloadRunning_) return true;
    CloseRequested = true;
    stopRequested_ = true;
    return false;
}

std::string MainWindowState::GeneralDateTimeNow() const {
    return GeneralDateTime(environment_.clock.Now(), environment_.locale);
}

std::string MainWindowState::NumberText(long long value) const {
    return environment_.locale.Number(value);
}

std::string MainWindowState::ResolveSaveFolder() const {
    return bayhaul::ResolveSaveFolder(Settings.diradd, environment_.specialFolder);
}

std::string MainWindowState::SaveFolderProblem() const {
    return bayhaul::SaveFolderProblem(Settings, ForPress());
}

PressEnvironment MainWindowState::ForPress() const {
    const Environment& e = environment_;
    return {e.clock,          e.locale,         e.specialFolder, e.expectedFolder, e.chooseFolderHint,
            e.stateFolder,    e.devicePlatform, e.workers,       e.libraryFile,    e.oneAtATime,
            e.limits,         e.steadyNow,      e.portDevice};
}

}  // namespace bayhaul
