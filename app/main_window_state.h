// The main window's state and what its events do to it, free of any
// window toolkit: the Qt window only shows these fields and forwards its
// clicks and timer ticks here.
#pragma once

#include "press/download_result.h"
#include "press/press_scope.h"
#include "press/download_window.h"
#include "settings/locale_text.h"
#include "press/press_lock.h"
#include "ports/device_platform.h"
#include "press/press_environment.h"
#include "settings/app_settings.h"
#include "settings/local_time.h"
#include "settings/output_naming.h"
#include "settings/settings_dialog_state.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace bayhaul {

class MainWindowState {
public:
    // What the state needs from outside; tests stand in fakes.
    struct Environment {
        const Clock& clock;
        const LocaleText& locale;
        SpecialFolderLookup specialFolder;
        std::string settingsPath;  // settings.ini in the current directory
        // Start the ports' workers, each of which loads the terminal library.
        std::shared_ptr<WorkerStarter> workers;
        DevicePlatformFactory devicePlatform;
        // A clock for how long things take, never set back.
        std::function<std::chrono::steady_clock::time_point()> steadyNow = std::chrono::steady_clock::now;
        // One press at a time for the user; the program's front ends take
        // the lock in the user's state folder.
        PressLockTaker pressLock = [](std::string&) { return std::make_unique<PressLock>(); };
        // Where a special folder that was not found would be, to name it.
        SpecialFolderLookup expectedFolder = [](int) { return std::string(); };
        // What the user can do when the save folder is missing.
        std::string chooseFolderHint = "Choose a folder in Settings.";
        // The user's state folder, for the history of presses and the copies
        // of replaced files; empty: neither is kept.
        std::string stateFolder{};
        // The library the workers load (empty: the one beside the program),
        // whether they run one after another, and how long they may be silent.
        std::string libraryFile{};
        bool oneAtATime = false;
        WorkerLimits limits{};
        // Which device each COM number opens, to try a device once.
        PortDeviceLookup portDevice = PortDeviceIdentity;
    };

    explicit MainWindowState(Environment environment);
    MainWindowState(const MainWindowState&) = delete;  // the dialog's state refers back to this one
    MainWindowState& operator=(const MainWindowState&) = delete;

    // Program-wide state shared by the download, the naming and the dialogs.
    // What belongs to one press (its passes, the files it named, each port's
    // link) is the press's own (download.h).
    AppSettings Settings;         // the one live settings record
    std::string LastStamp;        // the latest SetDate text
    std::int16_t TimerTicks = 0;  // Timer2 ticks since the last reset

    // The Settings dialog's boxes and choices. It lives as long as the main
    // window, so its shown timestamp outlasts each opening of the dialog;
    // its OK and Apply store into Settings.
    SettingsDialogState SettingsDialog;

    // What the window shows.
    std::string Label1;        // the clock
    std::string Label2;        // the status line
    std::string Label2Report;  // its tooltip: what the last press did on each port, a line each
    std::vector<PortReport> ReportLines;  // the same, a line per port, for the report window's rows
    // What went wrong, in full, for a person glancing at the window: the
    // last press's terminals that were not saved, or why it could not run,
    // or why the settings were not saved. Empty when nothing did.
    std::string ProblemLine;
    // The lines of the terminals not saved that ProblemLine names, so a
    // window too narrow for it can name as many as fit (fit_text.h).
    std::vector<PortReport> ProblemPorts;
    int ProgressBar1 = 0;
    // Whether the report window opens at every press, as the user chose
    // in it (kept in the state folder).
    bool ShowReportAtPress = false;
    bool Check1 = false;  // set the terminal clock
    bool Check2 = false;  // delete the data on the terminal

    // Start-up: progress, start time, clock, settings file and check boxes,
    // in that order. Setting the boxes does not rewrite the file.
    void Load();

    // Takes the 14-digit timestamp of this moment, keeps it in LastStamp and
    // returns it.
    std::string SetDate();

    void Timer1Tick();  // refreshes the clock
    void Timer2Tick();  // counts, stopping at the largest 16-bit value

    // A click on a check box: store its new flag and rewrite the file. A
    // file that cannot be written is reported on the status line.
    void Check1Click(bool checked);
    void Check2Click(bool checked);

    // The report window's "Show this window at every press": kept for the
    // next start; "" when kept, else why not.
    std::string ShowReportAtPressClick(bool checked);

    // A click on the download button: runs one press, or nothing (and
    // gives nothing) while a press runs already in this window. A press of
    // the same user elsewhere stops this one from starting: the status line
    // says so, and the result says it could not run.
    std::optional<DownloadResult> Command4Click(DownloadWindow& window);
    // A press for some ports only, or that keeps the names of earlier files
    // of the same run (a watch's); otherwise as Command4Click. The press
    // runs on the calling thread, and stops when `window` asks it to.
    std::optional<DownloadResult> Press(DownloadWindow& window, const PressScope& scope);

    // A window's press: it runs on a thread of its own, so the window's
    // thread is never held up. Each thing it has to show is handed to the
    // window's thread through `post`, which stores it in the state and shows
    // it on `window`; at the end `ended` runs there with the result. False,
    // doing nothing, while a press of this window runs already.
    using Post = std::function<void(std::function<void()>)>;
    bool StartPress(DownloadWindow& window, Post post, std::function<void(const DownloadResult&)> ended);
    bool PressRunning() const { return downloadRunning_; }
    ~MainWindowState();

    // The window is to close. True when it may close now; during a press
    // the press is asked to stop, and the window closes after it.
    bool RequestClose();
    // The user's session ends: a press that runs is asked to stop, and this
    // returns once it has (its end is not shown; the window goes with the session).
    void StopPressAndWait();
    bool CloseRequested = false;

    std::chrono::steady_clock::time_point SteadyNow() const { return environment_.steadyNow(); }
    LocalTime Now() const { return environment_.clock.Now(); }
    const std::string& StateFolder() const { return environment_.stateFolder; }
    const DevicePlatformFactory& DevicePlatform() const { return environment_.devicePlatform; }
    // Takes the lock that lets one press of the user run at a time.
    std::unique_ptr<PressLock> TakePressLock(std::string& why) const { return environment_.pressLock(why); }

    // The general date-and-time text of this moment.
    std::string GeneralDateTimeNow() const;
    // A whole number as the user's locale writes it, e.g. "12,345".
    std::string NumberText(long long value) const;

    // The folder the settings name for received files.
    std::string ResolveSaveFolder() const;
    // Why received files cannot be saved where the settings say, with what
    // to do about it; "" when they can.
    std::string SaveFolderProblem() const;
    // The world a press of this window works in.
    PressEnvironment ForPress() const;

private:
    class DirectInputs;
    class PostedInputs;
    class StateWindow;
    class PostedWindow;

    void StoreFlag(std::string& field, bool& box, bool checked);
    // Takes the press lock; a refused press is shown, recorded and given as the result.
    std::optional<DownloadResult> Refused(DownloadWindow& window, std::unique_ptr<PressLock>& lock);
    // Stores and shows what the press's end leaves on the window.
    void Finish(DownloadWindow& window, const DownloadResult& result);
    // Shows `text` on the status line and the problem line.
    void ShowProblem(DownloadWindow& window, const std::string& text);

    Environment environment_;
    std::string settingsError_;  // what a failed check-box write put on the status line
    bool downloadRunning_ = false;
    std::atomic<bool> stopRequested_{false};  // the window is closing: the press stops
    std::thread pressThread_;                 // a window's press
};

}  // namespace bayhaul
