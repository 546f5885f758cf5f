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

namespace bayhaul {

// Watches until `stop` says to stop, checked at least every 100 ms (and
// by a running press at each of its rounds). The settings are read from
// `settings` before each collection, and what was wrong with the file is
// said on the collection's line. The exit code: 0 when stopped.
int RunWatch(const PressEnvironment& environment, SettingsFileInputs& settings, const PressLockTaker& pressLock,
             std::ostream& out, const std::function<bool()>& stop);

}  // namespace bayhaul
