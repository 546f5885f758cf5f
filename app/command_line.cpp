#include "app/command_line.h"

#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "app/download_window.h"
#include "app/main_window_state.h"
#include "app/command_line_platform.h"
#include "link/tether_library.h"
#include "settings/settings_file.h"
#include "shell/special_folder.h"

namespace bayhaul {

namespace {

constexpr char kUsage[] =
    "usage: bayhaul [--download | --help]\n"
    "\n"
    "Without options Bayhaul opens its window. With --download it runs one\n"
    "press of the download button without a window: it tries a terminal on\n"
    "every serial port and saves each terminal's FORM.DAT where settings.ini\n"
    "in the current folder says (created with the defaults when missing),\n"
    "deleting the file on the terminal and setting its clock when the\n"
    "settings ask for it. It prints each status line, then one line per port.\n"
    "\n"
    "Exit codes:\n"
    "  0  every terminal that had a file was saved (or there was none)\n"
    "  1  a terminal had a file that was not saved, or the run was interrupted\n"
    "  2  nothing could run: no terminal library, the ports could not be\n"
    "     listed, the save folder is missing, or the arguments are wrong\n";

// The download's window on a terminal: status lines go to standard output
// as they come, the per-port report once at the end.
class ConsoleWindow final : public DownloadWindow {
public:
    ConsoleWindow(MainWindowState& state, std::ostream& out) : state_(state), out_(out) {}

    void ShowStatus(const std::string& text) override { out_ << text << std::endl; }
    void ShowReport(const std::string&) override {}
    void ShowProgress(int) override {}
    bool Check1Ticked() const override { return state_.Check1; }
    bool Check2Ticked() const override { return state_.Check2; }
    void StartTimer2() override {}  // no timer here: no yield is ever held up
    void YieldOnce(std::chrono::milliseconds wait) override {
        if (wait.count() > 0) std::this_thread::sleep_for(wait);
        if (InterruptRequested()) state_.RequestClose();
    }

private:
    MainWindowState& state_;
    std::ostream& out_;
};

int ExitCode(const DownloadResult& result) {
    if (result.couldNotRun) return 2;
    if (result.notSaved > 0 || result.stopped) return 1;
    return 0;
}

}  // namespace

bool WantsCommandLine(int argc, const char* const* argv) {
    return argc > 1 && (std::string(argv[1]).rfind("--", 0) == 0 || std::string(argv[1]) == "-h");
}

int RunCommandLine(int argc, const char* const* argv) {
    const std::string option = argc > 1 ? argv[1] : "";
    if (argc == 2 && (option == "--help" || option == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 2 || option != "--download") {
        std::cerr << "bayhaul: unknown arguments\n" << kUsage;
        return 2;
    }

    CatchInterrupts();
    const SystemClock clock;
    const std::unique_ptr<LocaleText> locale = MakeSystemLocaleText();
    TetherLibrary library;
    MainWindowState state({clock, *locale, fGetSpecialFolder, kSettingsFileName, library, DefaultDevicePlatform});
    state.Load();
    ConsoleWindow window(state, std::cout);
    const DownloadResult result = *state.Command4Click(window);
    if (!state.Label2Report.empty()) std::cout << state.Label2Report << "\n";
    if (result.stopped) std::cout << "Interrupted.\n";
    return ExitCode(result);
}

}  // namespace bayhaul
