#include "cli/command_line.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "press/download_window.h"
#include "press/history.h"
#include "press/press_handover.h"
#include "press/watch.h"
#include "press/watch_lock.h"
#include "about/about_texts.h"
#include "app/main_window_state.h"
#include "cli/command_arguments.h"
#include "cli/console_window.h"
#include "cli/command_line_platform.h"
#include "link/library_file.h"
#include "press/program_workers.h"
#include "press/settings_file_inputs.h"
#include "settings/settings_file.h"
#include "shell/special_folder.h"
#include "shell/state_folder.h"

namespace bayhaul {

namespace {

// The usage, with the program named and its safe stops said as this
// platform's users know them.
std::string Usage() {
    return std::string("usage: ") + kProgramName +
           " [--download [--expect N] | --watch | --history [N] | --version | --help]\n"
           "               [--one-port-at-a-time]\n"
           "\n"
           "Without options Bayhaul opens its window. With --download it runs one\n"
           "press of the download button without a window: it tries a terminal on\n"
           "every serial port and saves each terminal's FORM.DAT where settings.ini\n"
           "in the current folder says (created with the defaults when missing),\n"
           "deleting the file on the terminal and setting its clock when the\n"
           "settings ask for it. It prints each status line, then one line per port\n"
           "and a summary; what went wrong goes to standard error as well, when\n"
           "that is not where the output goes.\n"
           "--expect N makes a press that saved fewer than N files end with 3.\n"
           "--watch stays running and runs such a press for each terminal as it\n"
           "arrives (a port that appears, or a terminal that starts answering), a\n"
           "line for each; a terminal is collected again only after it has left.\n"
           "One watch runs per user; a second one ends with 2.\n"
           "--history prints what the last N presses (10 unless given) did on each\n"
           "port, from the history file in Bayhaul's state folder.\n"
           "--version prints the version, the terminal library the ports' workers\n"
           "load (Bayhaul's own or another), and where the settings, the state and\n"
           "the history are.\n"
           "--one-port-at-a-time (or BAYHAUL_ONE_PORT_AT_A_TIME=1 in the environment)\n"
           "runs the ports one after another instead of side by side.\n"
           "--help, -h and /? print this.\n"
           "\n" +
           kSafeStops +
           "\n"
           "stop --download and --watch safely; --watch then ends with 0.\n"
           "\n"
           "Exit codes:\n"
           "  0  every terminal that had a file was saved (or there was none)\n"
           "  1  a terminal had a file that was not saved, a port from which a\n"
           "     terminal was saved before was in use by another program, a port's\n"
           "     line was too noisy to tell whether a terminal was there, or the run\n"
           "     was interrupted\n"
           "  2  nothing could run: no terminal library, the ports could not be\n"
           "     listed, the save folder is missing, another press is running, or\n"
           "     the arguments are wrong\n"
           "  3  fewer files were saved than --expect asks for\n";
}

// The version, the library the workers load and where Bayhaul keeps its
// files, for an administrator.
int PrintVersion(const std::string& settingsFile) {
    const AboutTexts about = ComposeAboutTexts(ThisBuild());
    const std::string stateFolder = UserStateFolder();
    std::cout << about.title << " " << about.version.substr(about.version.find(' ') + 1) << "\n"
              << "Terminal library: " << LibraryFileText(FindLibraryFile("")) << "\n"
              << "Settings: " << settingsFile << "\n"
              << "State folder: " << stateFolder << "\n"
              << "History: " << (std::filesystem::path(stateFolder) / kHistoryFile).string() << "\n";
    return 0;
}

// What the last presses did, a press a paragraph, oldest first. A history
// that cannot be read is named, and ends with 2.
int PrintHistory(int presses) {
    const std::string folder = UserStateFolder();
    const HistoryExtract history =
        folder.empty() ? HistoryExtract{{}, "the user's state folder is not known (HOME is not set)"}
                       : ReadLastPresses(folder, static_cast<std::size_t>(presses));
    if (!history.problem.empty()) {
        std::cerr << "bayhaul: cannot read the history: " << history.problem << "\n";
        return 2;
    }
    if (history.records.empty()) {
        std::cout << "No press is recorded yet (" << folder << "/" << kHistoryFile << ").\n";
        return 0;
    }
    std::string press;
    for (const HistoryRecord& record : history.records) {
        if (record.press != press) {
            std::cout << (press.empty() ? "" : "\n") << "Press at " << PressStart(record.press) << "\n";
            press = record.press;
        }
        std::cout << "  " << record.when.substr(record.when.size() > 8 ? record.when.size() - 8 : 0) << "  "
                  << (record.port.empty() ? "" : record.port + ": ") << record.outcome;
        if (!record.sha256.empty()) std::cout << " SHA-256 " << record.sha256;
        if (!record.deleted.empty()) std::cout << "; delete: " << record.deleted;
        if (!record.clock.empty()) std::cout << "; clock: " << record.clock;
        std::cout << "\n";
    }
    return 0;
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// One line that sums the press up, e.g. "Saved 2, not saved 1, 3 ports
// without a terminal."
std::string Summary(const DownloadResult& result) {
    std::string text = "Saved " + std::to_string(result.saved) + ", not saved " + std::to_string(result.NotSaved());
    if (const int noFile = result.Count(PortOutcome::NoFile); noFile > 0)
        text += ", " + Plural(noFile, "terminal", "terminals") + " without FORM.DAT";
    text += ", " + Plural(result.Count(PortOutcome::NoTerminal), "port", "ports") + " without a terminal.";
    return text;
}

int ExitCode(const DownloadResult& result, int expect) {
    if (result.couldNotRun) return 2;
    if (result.NotSaved() > 0 || result.stopped) return 1;
    if (result.saved < expect) return 3;
    return 0;
}

}  // namespace

bool WantsCommandLine(int argc, const char* const*) {
    return argc > 1;
}

bool WantsWatch(int argc, const char* const* argv) {
    return std::any_of(argv + 1, argv + argc, [](const char* arg) { return std::string(arg) == "--watch"; });
}

int RunCommandLine(int argc, const char* const* argv, WatchFrontEnd* watchFrontEnd) {
    std::string wrong;
    const std::optional<CommandRequest> request =
        ParseCommandArguments(std::vector<std::string>(argv + 1, argv + argc), wrong);
    if (!request) {
        std::cerr << kProgramName << ": " << wrong << "\n" << Usage();
        return 2;
    }
    using Action = CommandRequest::Action;
    std::error_code ignored;
    const std::string here = std::filesystem::current_path(ignored).string();
    const std::string settingsFile = (std::filesystem::path(here) / kSettingsFileName).string();
    if (request->action == Action::Help) {
        std::cout << Usage();
        return 0;
    }
    if (request->action == Action::Version) return PrintVersion(settingsFile);
    if (request->action == Action::History) return PrintHistory(request->count);

    CatchInterrupts();
    // Last of all, once everything below has ended: a session's end waiting for it may go on.
    const struct Ended {
        ~Ended() { RunEnded(); }
    } ended;
    const SystemClock clock;
    const std::unique_ptr<LocaleText> locale = MakeSystemLocaleText();
    const std::string stateFolder = UserStateFolder();
    const bool watch = request->action == Action::Watch;
    // A press gets the ports from a watch that only waits or probes.
    const PressLockTaker pressLock = watch ? FilePressLock(stateFolder, "bayhaul --watch")
                                           : HandedOverPressLock(FilePressLock(stateFolder, "bayhaul --download"),
                                                                 stateFolder);
    MainWindowState::Environment environment{clock, *locale, fGetSpecialFolder, kSettingsFileName, ProgramWorkers(),
                                             DefaultDevicePlatform, std::chrono::steady_clock::now, pressLock,
                                             ExpectedSpecialFolder,
                                             "Create it, or put the folder for received files on line 3 of " +
                                                 settingsFile + ".",
                                             stateFolder};
    environment.oneAtATime = request->oneAtATime || OneAtATimeAsked();
    MainWindowState state(std::move(environment));
    state.Load();
    if (watch) {
        // One watch per user.
        std::string why;
        const std::unique_ptr<WatchLock> watchLock = TakeWatchLock(stateFolder, HistoryTime(clock.Now()), why);
        if (!watchLock) {
            std::cout << why << std::endl;
            std::cerr << "bayhaul: " << why << "\n";
            return 2;
        }
        SettingsFileInputs inputs(kSettingsFileName);
        const PressEnvironment environment = state.ForPress();
        const auto watchOn = [&](WatchDesktop& desktop) {
            return RunWatch({environment, inputs, pressLock, *watchLock, std::cout, desktop, InterruptRequested});
        };
        NoWatchDesktop bare;
        return watchFrontEnd ? watchFrontEnd->Run(watchOn) : watchOn(bare);
    }
    ConsoleWindow window(std::cout, std::chrono::steady_clock::now, InterruptRequested);
    const DownloadResult result = *state.Command4Click(window);
    // What went wrong is in the output already; it is copied to standard
    // error only where that is seen apart from the output.
    if (!ErrorsGoWhereOutputGoes()) {
        for (const PortReport& line : result.ports) {
            if (line.outcome == PortOutcome::NotSaved || line.warning)
                std::cerr << kProgramName << ": " << line.text << "\n";
        }
        if (result.couldNotRun) std::cerr << kProgramName << ": " << state.ProblemLine << "\n";
    }
    if (result.stopped) std::cout << "Interrupted.\n";
    if (!result.couldNotRun) std::cout << Summary(result) << "\n";
    if (result.NoTerminalAnswered()) std::cout << kNoTerminalHint << "\n";
    if (result.saved < request->count && !result.couldNotRun) {
        std::cerr << kProgramName << ": " << result.saved << " of the " << request->count
                  << " files expected were saved\n";
    }
    std::cout.flush();
    return ExitCode(result, request->count);
}

}  // namespace bayhaul
