// A stand-in for the platform's device-installation calls: it behaves as
// SetupAPI does for the calls DevLister makes, lists the devices a test
// gives it and records what it was asked.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/device_platform.h"

namespace bayhaul::testing {

inline RawGuid Guid(std::uint8_t first) {
    RawGuid g{};
    for (int i = 0; i < 16; ++i) g.bytes[i] = static_cast<std::uint8_t>(first + i);
    return g;
}

// A property as the fake platform reports it: its bytes (NUL included when
// a text), and optionally a required size that differs from their count.
struct FakeProperty {
    std::string bytes;
    std::optional<std::uint32_t> required;
};

struct FakeDevice {
    std::uint32_t devInst;
    RawGuid classGuid;
    std::map<std::uint32_t, FakeProperty> properties;
};

inline FakeDevice Port(std::uint32_t devInst, const std::string& desc, const std::string& friendly) {
    FakeDevice d{
        devInst, Guid(0x40), {{kSpdrpDeviceDesc, {desc + '\0', {}}}, {kSpdrpClass, {std::string("Ports") + '\0', {}}}}};
    if (!friendly.empty()) d.properties[kSpdrpFriendlyName] = {friendly + '\0', {}};
    return d;
}

class FakePlatform : public DevicePlatform {
public:
    std::map<std::string, std::vector<RawGuid>> classes;
    std::optional<std::uint32_t> secondQueryError;
    std::optional<std::uint32_t> openError;
    std::vector<FakeDevice> devices;
    std::map<std::uint32_t, std::string> messages;

    std::vector<std::uint32_t> openedFlags;
    std::vector<RawGuid> openedClasses;
    std::vector<std::uint32_t> declaredSizes;
    int openSets = 0;

    bool ClassGuidsFromName(const std::string& className, RawGuid* guids, std::uint32_t capacity,
                            std::uint32_t* requiredCount) override {
        const auto found = classes.find(className);
        const std::uint32_t count = found == classes.end() ? 0 : static_cast<std::uint32_t>(found->second.size());
        *requiredCount = count;
        if (capacity < count) return Fail(122);
        if (capacity > 0 && secondQueryError) return Fail(*secondQueryError);
        for (std::uint32_t i = 0; i < count; ++i) guids[i] = found->second[i];
        return true;
    }
    DeviceSetHandle OpenClassDevices(const RawGuid& classGuid, std::uint32_t flags) override {
        openedFlags.push_back(flags);
        openedClasses.push_back(classGuid);
        if (openError) {
            Fail(*openError);
            return kInvalidDeviceSet;
        }
        ++openSets;
        return 77;
    }
    bool EnumDeviceInfo(DeviceSetHandle set, std::uint32_t memberIndex, DeviceInfoData* device) override {
        if (set != 77 || device->cbSize != sizeof(DeviceInfoData)) return Fail(1784);
        if (memberIndex >= devices.size()) return Fail(259);
        device->ClassGuid = devices[memberIndex].classGuid;
        device->DevInst = devices[memberIndex].devInst;
        device->Reserved = memberIndex;
        return true;
    }
    bool GetDeviceRegistryProperty(DeviceSetHandle, const DeviceInfoData& device, std::uint32_t property,
                                   std::uint8_t* buffer, std::uint32_t bufferSize,
                                   std::uint32_t* requiredSize) override {
        declaredSizes.push_back(bufferSize);
        const auto& props = devices.at(device.Reserved).properties;
        const auto found = props.find(property);
        if (found == props.end()) return Fail(13);
        const FakeProperty& p = found->second;
        *requiredSize = p.required.value_or(static_cast<std::uint32_t>(p.bytes.size()));
        std::memcpy(buffer, p.bytes.data(), std::min<std::size_t>(p.bytes.size(), bufferSize));
        return true;
    }
    void DestroyDeviceInfoList(DeviceSetHandle set) override {
        if (set == 77) --openSets;
    }
    std::uint32_t LastErrorCode() override { return lastError; }
    std::uint32_t FormatErrorMessage(std::uint32_t code, char* buffer, std::uint32_t bufferSize) override {
        const auto found = messages.find(code);
        if (found == messages.end() || found->second.size() + 1 > bufferSize) return 0;
        std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
        return static_cast<std::uint32_t>(found->second.size());
    }

private:
    bool Fail(std::uint32_t code) {
        lastError = code;
        return false;
    }
    std::uint32_t lastError = 0;
};

// The Ports class, listing devices of these friendly names in this order.
inline std::shared_ptr<FakePlatform> PortsWithNames(const std::vector<std::string>& names) {
    auto platform = std::make_shared<FakePlatform>();
    platform->classes["Ports"] = {Guid(0x40)};
    std::uint32_t devInst = 1;
    for (const std::string& name : names) platform->devices.push_back(Port(devInst++, "Serial port", name));
    return platform;
}

}  // namespace bayhaul::testing
