#include "ports/device_platform.h"

#ifdef _WIN32
#include "ports/win32_device_platform.h"
#else
#include "ports/posix_device_platform.h"
#endif

namespace bayhaul {

std::shared_ptr<DevicePlatform> DefaultDevicePlatform() {
#ifdef _WIN32
    return std::make_shared<Win32DevicePlatform>();
#else
    return std::make_shared<PosixDevicePlatform>();
#endif
}

}  // namespace bayhaul
