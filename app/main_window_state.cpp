#include "app/main_window_state.h"

#include "press/download.h"
#include "press/history.h"
#include "app/main_window_layout.h"
#include "settings/settings_file.h"
#include "settings/timestamp.h"

#include <algorithm>
#include <filesystem>
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
// terminals were not saved and why; "" when everything went as asked.
std::string ProblemAfter(const DownloadResult& result, const std::string& status) {
    if (result.couldNotRun) {
        const auto listing = std::find_if(result.ports.begin(), result.ports.end(),
                                          [](const PortReport& line) { return line.port == 0; });
        return listing != result.ports.end() ? listing->text : status;
    }
    const int notSaved = result.NotSaved();
    if (notSaved == 0) return "";
    std::string text = std::to_string(notSaved) + (notSaved == 1 ? " terminal" : " terminals") + " not saved: ";
    std::string separator;
    for (const PortReport& line : result.ports) {
        if (line.outcome != PortOutcome::NotSaved) continue;
        text += separator + "COM" + std::to_string(line.port) + " (" + line.why + ")";
        separator = ", ";
    }
    return text;
}

}  // namespace

std::optional<DownloadResult> MainWindowState::Command4Click(DownloadWindow& window) {
    return Press(window, {});
}

std::optional<DownloadResult> MainWindowState::Press(DownloadWindow& window, const PressScope& scope) {
    if (downloadRunning_) return std::nullopt;
    downloadRunning_ = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{downloadRunning_};

    std::string why;
    const std::unique_ptr<PressLock> lock = environment_.pressLock(why);
    if (!lock) {
        ShowProblem(window, why);
        if (!StateFolder().empty()) {
            const std::string now = HistoryTime(Now());
            AppendHistory(StateFolder(), {now, now, "", why});
        }
        DownloadResult refused;
        refused.couldNotRun = true;
        return refused;
    }
    ShowProblem(window, "");
    settingsError_.clear();
    DownloadResult result =
        DownloadFromAllTerminals(*this, window, environment_.library, environment_.devicePlatform, scope).Run();
    ProblemLine = ProblemAfter(result, Label2);
    window.ShowProblem(ProblemLine);
    return result;
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
    const std::string& diradd = Settings.diradd;
    const std::string folder = ResolveSaveFolder();
    // A keyword's folder that was not found is named where it would be.
    const auto missingKeyword = [this](const char* what, int folderId) {
        const std::string expected = environment_.expectedFolder(folderId);
        return std::string("The ") + what + " folder" + (expected.empty() ? "" : " " + expected) + " was not found.";
    };
    std::string missing;
    if (diradd == kDesktopKeyword && folder.empty()) {
        missing = missingKeyword("desktop", kDesktopFolderId);
    } else if (diradd == kDocumentsKeyword && folder.empty()) {
        missing = missingKeyword("documents", kDocumentsFolderId);
    } else if (folder.empty()) {
        missing = "No folder is set for received files.";
    } else {
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) missing = "The folder " + folder + " was not found.";
    }
    return missing.empty() ? missing : missing + " " + environment_.chooseFolderHint;
}

}  // namespace bayhaul
