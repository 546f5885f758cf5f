// POSIX: the port table's numbering, the one the device enumerator shows.
#include "tether/lib/com_device.h"

#include "ports/port_table.h"

namespace bayhaul::tether {

std::optional<std::string> ComDevicePath(int com) {
    return DevicePathForCom(com, SystemPortRoots());
}

}  // namespace bayhaul::tether
