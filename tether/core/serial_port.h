// Opens a serial device for the link: raw 8N1 at the given speed, no flow
// control, exclusive (ioctl TIOCEXCL plus flock, which also holds for root),
// stale input and output discarded.
#pragma once

#include <memory>
#include <string>

#include "tether/core/fd_line.h"

namespace bayhaul::tether {

enum class OpenError { None, Busy, Failed };

struct OpenedPort {
    std::unique_ptr<FdLine> line;
    OpenError error = OpenError::None;
};

OpenedPort OpenSerialPort(const std::string& device, int bitsPerSecond);

// The termios speed constant for 9600 or 115200; 0 for anything else.
unsigned SpeedConstant(int bitsPerSecond);
// The bit rate a termios speed constant stands for; 0 when unknown.
int BitsPerSecond(unsigned speedConstant);

}  // namespace bayhaul::tether
