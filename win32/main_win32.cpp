// Bayhaul.exe: the main window, or with --download one press on the
// console, or with --watch the watch with its icon (see command_line.h).
#include "cli/command_line.h"
#include "win32/form1_win32.h"
#include "win32/win32_console.h"
#include "win32/watch_front_end_win32.h"
#include "press/program_workers.h"
#include "settings/settings_file.h"
#include "ui/win32_window.h"
#include "shell/state_folder.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    // The ANSI command line, split as the C runtime splits it.
    if (bayhaul::WantsCommandLine(__argc, __argv)) {
        // A watch started at log-on gets no console window: its journal goes to a file.
        const bool watch = bayhaul::WantsWatch(__argc, __argv);
        const bool console = bayhaul::UseConsoleForOutput(!watch);
        bayhaul::Win32WatchFrontEnd watchFrontEnd(bayhaul::UserStateFolder(), !console);
        return bayhaul::RunCommandLine(__argc, __argv, &watchFrontEnd);
    }

    const bayhaul::PictureSupport pictures;
    const bayhaul::SystemClock clock;
    bayhaul::Form1 window(clock, bayhaul::kSettingsFileName, bayhaul::ProgramWorkers(), bayhaul::DefaultDevicePlatform,
                          bayhaul::UserStateFolder());
    ShowWindow(window.Handle(), show);
    UpdateWindow(window.Handle());

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) window.Dispatch(message);
    return static_cast<int>(message.wParam);
}
