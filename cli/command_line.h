// bayhaul --download: one press of the download button with no window, for
// collecting data on a schedule or where there is no desktop; bayhaul
// --watch, which collects each terminal as it arrives; bayhaul --history.
#pragma once

#include <functional>

#include "press/watch_desktop.h"

namespace bayhaul {

// What a program with a desktop adds to a watch: notifications, an icon in
// the notification area, the journal where there is no console.
class WatchFrontEnd {
public:
    virtual ~WatchFrontEnd() = default;
    // Runs `watch`, which is given the desktop, and returns what it
    // returns; it may run on a thread of its own while the caller's serves
    // the desktop.
    virtual int Run(const std::function<int(WatchDesktop& desktop)>& watch) = 0;
};

// True when the arguments ask for the command line rather than the window:
// any argument does, so a mistyped one gets the usage, with or without a
// display.
bool WantsCommandLine(int argc, const char* const* argv);
// True when they ask for a watch.
bool WantsWatch(int argc, const char* const* argv);

// Runs what the arguments ask for and returns the exit code:
//   0  every terminal that had a file was saved (or there was none)
//   1  a terminal had a file that was not saved, a port a terminal was
//      saved from before was another program's, a port was too noisy to
//      tell, or the press was interrupted
//   2  the press could not run: no terminal library, the ports could not be
//      listed, no save folder, another press ran, or the arguments were wrong
//   3  fewer files were saved than --expect asked for
// A watch is shown on the desktop through `watchFrontEnd`, when given.
int RunCommandLine(int argc, const char* const* argv, WatchFrontEnd* watchFrontEnd = nullptr);

}  // namespace bayhaul
