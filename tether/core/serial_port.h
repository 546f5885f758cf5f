// Opens a serial device for the link: raw 8N1 at the given speed, no flow
// control, exclusive, stale input and output discarded. One implementation
// per platform: termios on POSIX (exclusive by TIOCEXCL plus flock, which
// also holds for root), the communications API on Windows.
#pragma once

#include <memory>
#include <string>

#include "tether/core/byte_line.h"

namespace bayhaul::tether {

// NoPermission: the user may not open the device (on Linux, not in the
// group that owns serial ports).
enum class OpenError { None, Busy, NoPermission, Failed };

struct OpenedPort {
    std::unique_ptr<ByteLine> line;
    OpenError error = OpenError::None;
};

// `device` as the platform names it: /dev/ttyUSB0, or \\.\COM3.
OpenedPort OpenSerialPort(const std::string& device, int bitsPerSecond);

}  // namespace bayhaul::tether
