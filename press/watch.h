// bayhaul --watch: stays running and collects each terminal as it becomes
// available, by the same rules as a press: a port that appears (a cradle
// plugged in) and a terminal that starts answering on a port already there
// (switched on in its cradle) each get a press for that port alone. Each
// probe, like each port of a press, runs in a worker process of its own.
// Files saved earlier in the same run are never replaced; the next suffix
// is taken. Each collection prints one line, as the report words it.
//
// The watch holds the press lock while it waits and probes, so no press
// opens a port under a probe and no probe runs during a press; a press that
// asks for the lock (press_handover.h) gets it within a fraction of a
// second, the probe running then being given up. A collection keeps the
// lock until it ends.
#pragma once

#include <functional>
#include <iosfwd>

#include "press/press_environment.h"
#include "press/press_lock.h"
#include "press/settings_file_inputs.h"
#include "press/watch_desktop.h"
#include "press/watch_lock.h"

namespace bayhaul {

struct WatchSetup {
    const PressEnvironment& environment;
    // Read before each collection; what was wrong with the file is said on
    // the collection's line.
    SettingsFileInputs& settings;
    // The press lock in the watch's name.
    const PressLockTaker& pressLock;
    // The watch's own lock, which tells windows what it collected today.
    WatchLock& watchLock;
    std::ostream& journal;
    WatchDesktop& desktop;
    // Ctrl+C and its kin; the desktop's Quit stops the watch too.
    std::function<bool()> stop;
};

// Watches until told to stop, checked at least every 100 ms (and by a
// running press at each of its rounds). The exit code: 0 when stopped.
int RunWatch(const WatchSetup& setup);

}  // namespace bayhaul
