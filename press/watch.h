// bayhaul --watch: stays running and collects each terminal as it becomes
// available, by the same rules as a press: a port that appears (a cradle
// plugged in) and a terminal that starts answering on a port already there
// (switched on in its cradle) each get a press for that port alone. Files
// saved earlier in the same run are never replaced; the next suffix is
// taken. Each collection prints one line, as the report words it.
#pragma once

#include <functional>
#include <iosfwd>

#include "app/main_window_state.h"

namespace bayhaul {

// Watches until `stop` says to stop, checked at least every 100 ms (and
// by a running press at each of its polls). The exit code: 0 when stopped,
// 2 when the terminal library cannot be loaded.
int RunWatch(MainWindowState& state, std::ostream& out, const std::function<bool()>& stop);

}  // namespace bayhaul
