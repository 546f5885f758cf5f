// Device enumeration on Windows: a thin pass-through to SetupAPI,
// GetLastError and FormatMessageA.
#pragma once

#include "ports/device_platform.h"

namespace bayhaul {

class Win32DevicePlatform : public DevicePlatform {
public:
    bool ClassGuidsFromName(const std::string& className, RawGuid* guids, std::uint32_t capacity,
                            std::uint32_t* requiredCount) override;
    DeviceSetHandle OpenClassDevices(const RawGuid& classGuid, std::uint32_t flags) override;
    bool EnumDeviceInfo(DeviceSetHandle set, std::uint32_t memberIndex, DeviceInfoData* device) override;
    bool GetDeviceRegistryProperty(DeviceSetHandle set, const DeviceInfoData& device, std::uint32_t property,
                                   std::uint8_t* buffer, std::uint32_t bufferSize,
                                   std::uint32_t* requiredSize) override;
    void DestroyDeviceInfoList(DeviceSetHandle set) override;
    std::uint32_t LastErrorCode() override;
    std::uint32_t FormatErrorMessage(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override;
};

}  // namespace bayhaul
