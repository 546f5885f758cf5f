#include "cli/command_line_platform.h"

#include "win32/win32_locale_text.h"

#include <windows.h>

#include <io.h>

#include <atomic>
#include <cstdio>

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

const char kProgramName[] = "Bayhaul.exe";
const char kSafeStops[] = "Ctrl+C, Ctrl+Break, closing the console and log-off";

namespace {

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

bool ErrorsGoWhereOutputGoes() {
    HANDLE output = HandleOf(stdout);
    HANDLE errors = HandleOf(stderr);
    // A process has one console at most: two console handles show on it.
    DWORD mode = 0;
    if (GetConsoleMode(output, &mode) && GetConsoleMode(errors, &mode)) return true;
    // Two handles of one file. A pipe cannot be told apart: it counts as two.
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    return GetFileType(output) == FILE_TYPE_DISK && GetFileType(errors) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(output, &a) && GetFileInformationByHandle(errors, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace bayhaul
