// Registers and removes stand-in serial ports in the Windows device
// database, so SetupAPI lists them as Ports-class devices the way it lists
// real COM ports. Used by the SetupAPI tests and by register-test-port.exe.
#pragma once

#include <string>

namespace bayhaul::testing_ports {

// "Communications Port (COMn)", as Windows names a built-in port.
std::string DefaultFriendlyName(int com);

// The device instance ID a test port of number com gets.
std::string TestPortInstanceId(int com);

// Registers a present Ports-class device with friendlyName, replacing an
// earlier test port of the same number. Returns "" on success, otherwise
// the call that failed and its error code.
std::string RegisterTestPort(int com, const std::string& friendlyName);

// Removes the test port of number com; "" when it is gone (or never was).
std::string RemoveTestPort(int com);

}  // namespace bayhaul::testing_ports
