// Which COM port a listed device is, read from its name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/device_platform.h"

namespace bayhaul {

// Only devices whose name begins with one of these are tried.
inline constexpr char kUartNamePrefix[] = "Communications Port";
inline constexpr char kUsbSerialNamePrefix[] = "USB Serial Port";

// True when the name begins with one of the two prefixes (exact case).
bool IsComPortName(const std::string& name);

// The COM number of a device named like "USB Serial Port (COM3)" or
// "Communications Port (COM10)": one or two digits at the fixed places of
// those two names, or else the number in a "(COMn)" that ends the name.
// Nothing for a name without either prefix, without a number, or with the
// number 0: such a device is not tried.
std::optional<std::int16_t> ComPortFromName(const std::string& name);

// The COM ports of the present devices of the "Ports" class, in the order
// the platform lists them; nothing, with `error` saying why, when the list
// cannot be made.
std::optional<std::vector<std::int16_t>> ListComPorts(const DevicePlatformFactory& devices, std::string& error);

}  // namespace bayhaul
