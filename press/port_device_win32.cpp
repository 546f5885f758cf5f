// Windows: what the COM name is defined as (\Device\Serial0, say); a second
// name defined as the same device is the same port.
#include "press/port_device.h"

#include <windows.h>

namespace bayhaul {

std::string PortDeviceIdentity(std::int16_t com) {
    char target[1024] = {};
    const std::string name = "COM" + std::to_string(com);
    const DWORD length = QueryDosDeviceA(name.c_str(), target, sizeof target);
    if (length == 0) return "";
    return std::string(target);  // the first of the NUL-separated targets
}

}  // namespace bayhaul
