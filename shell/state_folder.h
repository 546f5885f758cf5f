// The folder where Bayhaul keeps what it remembers for the user (the lock
// that lets one press run at a time): $XDG_STATE_HOME/bayhaul on Linux
// (~/.local/state/bayhaul when that is unset), %LOCALAPPDATA%\Bayhaul on
// Windows. Every Bayhaul of the user finds the same folder, from a window,
// a terminal or a schedule alike.
#pragma once

#include <string>

namespace bayhaul {

// The folder's path, or "" when the platform does not say where the user's
// own data goes. Not created here.
std::string UserStateFolder();

}  // namespace bayhaul
