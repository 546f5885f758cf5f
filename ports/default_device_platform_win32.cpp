#include "ports/device_platform.h"
#include "ports/win32_device_platform.h"

namespace bayhaul {

std::shared_ptr<DevicePlatform> DefaultDevicePlatform() {
    return std::make_shared<Win32DevicePlatform>();
}

}  // namespace bayhaul
