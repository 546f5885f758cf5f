// Device enumeration on POSIX systems, built on the port table. The one
// setup class is "Ports"; its present members are the serial ports the port
// table finds. Error codes are errno values, their texts strerror's.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/device_platform.h"
#include "ports/port_table.h"

namespace bayhaul {

// {4D36E978-E325-11CE-BFC1-08002BE10318}, the Ports setup class.
RawGuid PortsClassGuid();

class PosixDevicePlatform : public DevicePlatform {
public:
    // Scans the machine's own roots, read afresh at every OpenClassDevices.
    PosixDevicePlatform() = default;
    explicit PosixDevicePlatform(PortRoots roots) : roots_(std::move(roots)) {}

    bool ClassGuidsFromName(const std::string& className, RawGuid* guids, std::uint32_t capacity,
                            std::uint32_t* requiredCount) override;
    DeviceSetHandle OpenClassDevices(const RawGuid& classGuid, std::uint32_t flags) override;
    bool EnumDeviceInfo(DeviceSetHandle set, std::uint32_t memberIndex, DeviceInfoData* device) override;
    bool GetDeviceRegistryProperty(DeviceSetHandle set, const DeviceInfoData& device, std::uint32_t property,
                                   std::uint8_t* buffer, std::uint32_t bufferSize,
                                   std::uint32_t* requiredSize) override;
    void DestroyDeviceInfoList(DeviceSetHandle set) override;
    std::uint32_t LastErrorCode() override { return lastError_; }
    std::uint32_t FormatErrorMessage(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override;

private:
    bool Fail(int errorCode);
    const SerialPort* Member(DeviceSetHandle set, const DeviceInfoData& device);

    std::optional<PortRoots> roots_;
    std::map<DeviceSetHandle, std::vector<SerialPort>> sets_;
    DeviceSetHandle nextSet_ = 1;
    std::uint32_t lastError_ = 0;
};

}  // namespace bayhaul
