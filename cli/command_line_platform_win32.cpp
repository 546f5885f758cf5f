#include "cli/command_line_platform.h"

#include "win32/win32_locale_text.h"

#include <windows.h>

#include <io.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace bayhaul {

namespace {

std::atomic<bool> interrupted{false};
// Set when the press or the watch has stopped.
HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
// How long a session's end is held back at most; Windows may end the
// program sooner.
constexpr DWORD kLongestHold = 30000;

void StopAndWait() {
    interrupted = true;
    WaitForSingleObject(ended, kLongestHold);
}

// Runs on a thread of its own that the console starts for each event.
BOOL WINAPI Interrupt(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            // The first one asks the press to stop; a second one falls
            // through to the default handler, which ends the program.
            return !interrupted.exchange(true);
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // Windows ends the program as soon as this returns: not before
            // the press has stopped.
            StopAndWait();
            return TRUE;
        default:
            return FALSE;
    }
}

// A program with windows hears of the session's end only through a window:
// a hidden one, on a thread of its own, says it may end, then holds the
// end back until the press has stopped.
LRESULT CALLBACK SessionWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_QUERYENDSESSION:
            ShutdownBlockReasonCreate(window, L"Bayhaul is stopping safely, keeping every terminal's data.");
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) StopAndWait();
            ShutdownBlockReasonDestroy(window);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

void HearSessionEnd() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SessionWindow;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "BayhaulSessionEnd";
    RegisterClassA(&windowClass);
    // A top-level window, never shown: a message-only one hears no broadcast.
    if (!CreateWindowExA(0, windowClass.lpszClassName, "Bayhaul", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                         windowClass.hInstance, nullptr))
        return;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
}

}  // namespace

std::unique_ptr<LocaleText> MakeSystemLocaleText() {
    return std::make_unique<Win32LocaleText>();
}

void CatchInterrupts() {
    SetConsoleCtrlHandler(Interrupt, TRUE);
    std::thread(HearSessionEnd).detach();
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

void RunEnded() {
    SetEvent(ended);
}

}  // namespace bayhaul
