// POSIX: the port table's path for the COM number, followed through any
// links to the device file, whose device number names the device.
#include "press/port_device.h"

#include <sys/stat.h>

#include "ports/port_table.h"

namespace bayhaul {

std::string PortDeviceIdentity(std::int16_t com) {
    const std::optional<std::string> path = DevicePathForCom(com, SystemPortRoots());
    struct stat device {};
    if (!path || stat(path->c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return "";
    return "character device " + std::to_string(static_cast<unsigned long long>(device.st_rdev));
}

}  // namespace bayhaul
