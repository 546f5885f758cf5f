#include "ports/posix_device_platform.h"

#include <cerrno>
#include <cstring>

namespace bayhaul {
namespace {

constexpr std::uint32_t kKnownFlags = kDigcfPresent | kDigcfAllClasses;

// Both kinds of UART-like port show the classic description; adapters the USB one.
std::string DeviceDescription(const SerialPort& port) {
    return port.kind == PortKind::UsbSerial ? "USB Serial Port" : "Communications Port";
}

std::string PropertyText(const SerialPort& port, std::uint32_t property, bool* known) {
    *known = true;
    switch (property) {
        case kSpdrpDeviceDesc:
            return DeviceDescription(port);
        case kSpdrpFriendlyName:
            return DeviceDescription(port) + " (COM" + std::to_string(port.com) + ")";
        case kSpdrpClass:
            return "Ports";
        default:
            *known = false;
            return "";
    }
}

}  // namespace

RawGuid PortsClassGuid() {
    return RawGuid{{0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11, 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
}

bool PosixDevicePlatform::Fail(int errorCode) {
    lastError_ = static_cast<std::uint32_t>(errorCode);
    return false;
}

bool PosixDevicePlatform::ClassGuidsFromName(const std::string& className, RawGuid* guids, std::uint32_t capacity,
                                             std::uint32_t* requiredCount) {
    const std::uint32_t count = className == "Ports" ? 1 : 0;
    if (requiredCount) *requiredCount = count;
    if (capacity < count) return Fail(ERANGE);
    if (count > 0 && !guids) return Fail(EINVAL);
    if (count > 0) guids[0] = PortsClassGuid();
    lastError_ = 0;
    return true;
}

DeviceSetHandle PosixDevicePlatform::OpenClassDevices(const RawGuid& classGuid, std::uint32_t flags) {
    if (flags & ~kKnownFlags) {
        Fail(EINVAL);
        return kInvalidDeviceSet;
    }
    // Ports are the only class here, and only present ports are known: a
    // request without kDigcfPresent gets the same present ports.
    const RawGuid ports = PortsClassGuid();
    const bool wantPorts = (flags & kDigcfAllClasses) || std::memcmp(classGuid.bytes, ports.bytes, 16) == 0;
    std::vector<SerialPort> members;
    if (wantPorts) members = ScanSerialPorts(roots_ ? *roots_ : SystemPortRoots());
    const DeviceSetHandle set = nextSet_++;
    sets_[set] = std::move(members);
    lastError_ = 0;
    return set;
}

bool PosixDevicePlatform::EnumDeviceInfo(DeviceSetHandle set, std::uint32_t memberIndex, DeviceInfoData* device) {
    const auto found = sets_.find(set);
    if (found == sets_.end()) return Fail(EBADF);
    if (!device || device->cbSize != sizeof(DeviceInfoData)) return Fail(EINVAL);
    if (memberIndex >= found->second.size()) return Fail(ENODATA);
    device->ClassGuid = PortsClassGuid();
    // The instance handle of a port is its COM number, unique within the set.
    device->DevInst = static_cast<std::uint32_t>(found->second[memberIndex].com);
    device->Reserved = memberIndex + 1;  // which member this record names
    lastError_ = 0;
    return true;
}

const SerialPort* PosixDevicePlatform::Member(DeviceSetHandle set, const DeviceInfoData& device) {
    const auto found = sets_.find(set);
    if (found == sets_.end() || device.Reserved == 0 || device.Reserved > found->second.size()) return nullptr;
    return &found->second[device.Reserved - 1];
}

bool PosixDevicePlatform::GetDeviceRegistryProperty(DeviceSetHandle set, const DeviceInfoData& device,
                                                    std::uint32_t property, std::uint8_t* buffer,
                                                    std::uint32_t bufferSize, std::uint32_t* requiredSize) {
    if (sets_.find(set) == sets_.end()) return Fail(EBADF);
    const SerialPort* port = device.cbSize == sizeof(DeviceInfoData) ? Member(set, device) : nullptr;
    if (!port) return Fail(EINVAL);
    bool known = false;
    const std::string text = PropertyText(*port, property, &known);
    if (!known) return Fail(ENOENT);
    const auto size = static_cast<std::uint32_t>(text.size() + 1);
    if (requiredSize) *requiredSize = size;
    if (!buffer || bufferSize < size) return Fail(ERANGE);
    std::memcpy(buffer, text.c_str(), size);
    lastError_ = 0;
    return true;
}

void PosixDevicePlatform::DestroyDeviceInfoList(DeviceSetHandle set) {
    sets_.erase(set);
}

std::uint32_t PosixDevicePlatform::FormatErrorMessage(std::uint32_t code, char* buffer, std::uint32_t bufferSize) {
    const std::string text = std::strerror(static_cast<int>(code));
    if (!buffer || text.size() + 1 > bufferSize) return 0;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<std::uint32_t>(text.size());
}

}  // namespace bayhaul
