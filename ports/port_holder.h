// Who holds a serial port that another program has open, for the words "in
// use by another program: minicom, process 1234". One implementation per
// platform: on POSIX from the port's UUCP lock file and /proc; Windows
// tells no one but an administrator who holds a COM port.
#pragma once

#include <string>

namespace bayhaul {

// The holder of COM<com> in words ("minicom, process 1234"), or what keeps
// its lock file from being taken; "" when there is nothing to tell.
std::string PortHolder(int com);

}  // namespace bayhaul
