// The Linux program's part in a watch: a notification for each collection
// when a session bus answers, and, when there is a display with a
// notification area, the watch's icon there with its state, its last
// collections, and Pause, Resume and Quit. Without either, the watch runs
// as on a bare command line. The watch runs on a thread of its own while
// the Qt application serves the desktop.
#pragma once

#include "cli/command_line.h"

namespace bayhaul {

class QtWatchFrontEnd final : public WatchFrontEnd {
public:
    // The program's arguments, for the Qt application.
    QtWatchFrontEnd(int& argc, char** argv) : argc_(argc), argv_(argv) {}
    int Run(const std::function<int(WatchDesktop& desktop)>& watch) override;

private:
    int& argc_;
    char** argv_;
};

}  // namespace bayhaul
