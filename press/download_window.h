// What the download from all terminals needs from the window it runs in.
// The Qt window, the native Windows window and the command line each
// implement it in a few lines; tests use a recording fake.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "press/download_result.h"

namespace bayhaul {

class DownloadWindow {
public:
    virtual ~DownloadWindow() = default;

    // Show what the download has just stored in the main window's state.
    virtual void ShowStatus(const std::string& text) = 0;    // the status line, Label2
    // Its tooltip: a line per port tried, each final or, while its transfer
    // runs, its live state.
    virtual void ShowReport(const std::vector<PortReport>& report) = 0;
    virtual void ShowProgress(int percent) = 0;              // ProgressBar1, 0 to 100
    // The line that tells at a glance what went wrong; "" hides it.
    virtual void ShowProblem(const std::string& text) = 0;

    // Makes sure Timer2 runs; a running timer is left as it is.
    virtual void StartTimer2() = 0;

    // Lets the window handle its pending events once. With a `wait`, first
    // waits until an event arrives or the wait is over, whichever comes
    // first, so a caller that polls does not spin.
    virtual void YieldOnce(std::chrono::milliseconds wait) = 0;
};

}  // namespace bayhaul
