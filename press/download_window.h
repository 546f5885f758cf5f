// What the download from all terminals tells the window it runs for, and
// asks of it. The press calls these on its own thread: the Qt window and
// the native Windows window hand them over to their own thread, the command
// line prints; tests use a recording fake.
#pragma once

#include <string>
#include <vector>

#include "press/download_result.h"

namespace bayhaul {

class DownloadWindow {
public:
    virtual ~DownloadWindow() = default;

    virtual void ShowStatus(const std::string& text) = 0;    // the status line, Label2
    // A line per port tried, each final or, while the port runs, its live
    // state; in the order of the ports.
    virtual void ShowReport(const std::vector<PortReport>& report) = 0;
    virtual void ShowProgress(int percent) = 0;              // ProgressBar1, 0 to 100
    // The line that tells at a glance what went wrong; "" hides it.
    virtual void ShowProblem(const std::string& text) = 0;

    // Whether the user asked the press to stop (the window closing, Ctrl+C,
    // the session ending). Asked at least every 100 ms.
    virtual bool StopRequested() = 0;
};

}  // namespace bayhaul
