// Bayhaul.exe: the main window, one per user, or with --download, --watch
// or --history the console (see command_line.h).
#include "cli/command_line.h"
#include "win32/form1_win32.h"
#include "win32/single_window_win32.h"
#include "win32/win32_console.h"
#include "press/program_workers.h"
#include "settings/settings_file.h"
#include "ui/win32_window.h"
#include "shell/state_folder.h"

#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    // The ANSI command line, split as the C runtime splits it.
    if (bayhaul::WantsCommandLine(__argc, __argv)) {
        bayhaul::UseConsoleForOutput();
        return bayhaul::RunCommandLine(__argc, __argv);
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
