// Bayhaul.exe: the main window, one per user, or with --download one press
// on the console, with --watch the watch with its icon, or with --history
// the history (see command_line.h).
#include "cli/command_line.h"
#include "win32/form1_win32.h"
#include "win32/single_window_win32.h"
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

    // A second start brings the user's window to the front instead.
    bayhaul::SingleWindow single;
    if (!single.Claim()) return 0;

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
