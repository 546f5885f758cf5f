// The device-installation operations DevLister needs, shaped like the
// platform's SetupAPI calls so the Windows backend is a plain pass-through:
// failures return false (or kInvalidDeviceSet) and leave a code for
// LastErrorCode(). Names avoid the Windows API's macro names on purpose.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace bayhaul {

// A GUID as 16 raw bytes in the platform's layout.
struct RawGuid {
    std::uint8_t bytes[16];
};

// A device-information set; kInvalidDeviceSet (all bits set) on failure.
using DeviceSetHandle = std::intptr_t;
constexpr DeviceSetHandle kInvalidDeviceSet = -1;

// Same layout as the platform's device-information record: cbSize must be
// sizeof(DeviceInfoData) (28 bytes on 32-bit builds, 32 on 64-bit ones).
struct DeviceInfoData {
    std::uint32_t cbSize;
    RawGuid ClassGuid;
    std::uint32_t DevInst;
    std::uintptr_t Reserved;
};

// Flags for OpenClassDevices.
constexpr std::uint32_t kDigcfPresent = 2;
constexpr std::uint32_t kDigcfAllClasses = 4;

// Property codes for GetDeviceRegistryProperty.
constexpr std::uint32_t kSpdrpDeviceDesc = 0;
constexpr std::uint32_t kSpdrpClass = 7;
constexpr std::uint32_t kSpdrpFriendlyName = 12;

class DevicePlatform {
public:
    virtual ~DevicePlatform() = default;

    // The class GUIDs registered under className. *requiredCount always
    // gets their number; fails when capacity is below it.
    virtual bool ClassGuidsFromName(const std::string& className, RawGuid* guids, std::uint32_t capacity,
                                    std::uint32_t* requiredCount) = 0;
    // Opens the set of devices of classGuid (of every class with
    // kDigcfAllClasses; only present ones with kDigcfPresent).
    virtual DeviceSetHandle OpenClassDevices(const RawGuid& classGuid, std::uint32_t flags) = 0;
    // Fills *device with member memberIndex (0-based); fails past the last.
    virtual bool EnumDeviceInfo(DeviceSetHandle set, std::uint32_t memberIndex, DeviceInfoData* device) = 0;
    // Copies a property into buffer; *requiredSize gets its size in bytes
    // (text properties include their NUL). Fails when the device lacks it.
    virtual bool GetDeviceRegistryProperty(DeviceSetHandle set, const DeviceInfoData& device, std::uint32_t property,
                                           std::uint8_t* buffer, std::uint32_t bufferSize,
                                           std::uint32_t* requiredSize) = 0;
    virtual void DestroyDeviceInfoList(DeviceSetHandle set) = 0;
    // The error code of the failed call just made.
    virtual std::uint32_t LastErrorCode() = 0;
    // Writes the system's NUL-terminated text for code into buffer and
    // returns its length; 0, buffer untouched, when there is none.
    virtual std::uint32_t FormatErrorMessage(std::uint32_t code, char* buffer, std::uint32_t bufferSize) = 0;
};

// The backend of the platform this program was built for.
std::shared_ptr<DevicePlatform> DefaultDevicePlatform();

// Makes a fresh backend for each listing; tests give fakes.
using DevicePlatformFactory = std::function<std::shared_ptr<DevicePlatform>()>;

}  // namespace bayhaul
