// Which device a COM number opens, so that two names of one device (a link
// to another port) are tried once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace bayhaul {

// An identity that every name of one device shares; "" when the port is not
// there or the platform cannot tell.
using PortDeviceLookup = std::function<std::string(std::int16_t com)>;

// This platform's: the device number of the serial device a COM number's
// path leads to on POSIX, the device that the COM name is defined as on
// Windows.
std::string PortDeviceIdentity(std::int16_t com);

}  // namespace bayhaul
