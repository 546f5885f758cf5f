// Lists the devices of one setup class and turns a class name into its
// class GUIDs. Every operation that talks to the platform returns a status
// text: exactly "OK" on success, a message otherwise. Only Item throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/dev_info_storage.h"
#include "ports/device_platform.h"
#include "ports/guid_storage.h"

namespace bayhaul {

class DevLister {
public:
    // Uses the platform's own backend.
    DevLister();
    // platform must not be null.
    explicit DevLister(std::shared_ptr<DevicePlatform> platform);

    std::int32_t ListCount() const;
    // The record at 1-based Index; std::out_of_range outside 1 ... ListCount().
    std::shared_ptr<DevInfo_Storage> Item(std::int32_t Index) const;
    // Replaces ClassGUID with the class's GUIDs; leaves it alone on failure.
    std::string GetGUIDByName(const std::string& ClassName, std::vector<GUID_Storage>& ClassGUID);
    // Appends the devices of class ClassID (every class when null), only the
    // present ones when bOnlyPresent.
    std::string AddToList(const GUID_Storage* ClassID, bool bOnlyPresent);
    // The text before the first NUL of V.
    static std::string StrTrimToNull(const std::string& V);

private:
    // A property read: its text and the read's status. (The numeric view of
    // the same bytes is left out: every property read here is a text.)
    struct DeviceProperty {
        std::string text;
        std::string status = "OK";
    };

    DeviceProperty GetDeviceProperty(DeviceSetHandle set, const DeviceInfoData& device, std::uint32_t property);
    std::string GetErrorText(std::uint32_t code);
    static std::string BytesToStr(const std::uint8_t* bytes, std::size_t size, std::int32_t count);

    std::shared_ptr<DevicePlatform> platform_;
    std::vector<std::shared_ptr<DevInfo_Storage>> list_;
};

}  // namespace bayhaul
