// The simulated terminal's main loop: serves requests on its virtual port,
// runs file phases, and starts a fresh line after a hang-up, until stopped.
#pragma once

#include <iosfwd>

#include "sim/sim_options.h"
#include "sim/virtual_port.h"

namespace bayhaul::sim {

// Returns only when the line cannot be re-opened after a hang-up.
int RunTerminal(VirtualPort& port, const SimOptions& options, std::ostream& log);

// Switches the terminal on or off, as its power button would: switched off
// it answers nothing. Safe to call from a signal handler.
void SwitchTerminal(bool on);

}  // namespace bayhaul::sim
