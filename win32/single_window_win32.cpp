#include "win32/single_window_win32.h"

#include "win32/form1_win32.h"

namespace bayhaul {

namespace {

// In the session's own namespace: each user's log-on has its own.
constexpr char kMutexName[] = "Local\\Bayhaul.Window";

}  // namespace

SingleWindow::~SingleWindow() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool SingleWindow::Claim() {
    mutex_ = CreateMutexA(nullptr, FALSE, kMutexName);
    const DWORD error = GetLastError();
    // Denied: a copy started with other rights (as an administrator) holds it.
    if (mutex_ != nullptr ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED) return true;
    // The running one may be starting: its window comes a moment after the mutex.
    for (int tries = 0; tries < 50; ++tries) {
        if (HWND window = FindWindowA(kMainWindowClass, nullptr)) {
            if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
            return false;
        }
        Sleep(100);
    }
    return true;
}

}  // namespace bayhaul
