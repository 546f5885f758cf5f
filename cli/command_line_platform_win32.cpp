#include "cli/command_line_platform.h"

#include "win32/win32_locale_text.h"

#include <windows.h>

#include <atomic>

namespace bayhaul {

namespace {

std::atomic<bool> interrupted{false};

// Runs on a thread of its own that the console starts for each event.
BOOL WINAPI Interrupt(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The first one asks the press to stop; a second one falls
            // through to the default handler, which ends the program.
            return !interrupted.exchange(true);
        default:
            return FALSE;
    }
}

}  // namespace

std::unique_ptr<LocaleText> MakeSystemLocaleText() {
    return std::make_unique<Win32LocaleText>();
}

void CatchInterrupts() {
    SetConsoleCtrlHandler(Interrupt, TRUE);
}

bool InterruptRequested() {
    return interrupted.load();
}

}  // namespace bayhaul
