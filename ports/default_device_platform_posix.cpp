#include "ports/device_platform.h"
#include "ports/posix_device_platform.h"

namespace bayhaul {

std::shared_ptr<DevicePlatform> DefaultDevicePlatform() {
    return std::make_shared<PosixDevicePlatform>();
}

}  // namespace bayhaul
