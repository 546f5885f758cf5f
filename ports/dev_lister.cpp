#include "ports/dev_lister.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace bayhaul {
namespace {

constexpr std::size_t kPropertyBufferBytes = 1000;
constexpr std::uint32_t kPropertyDeclaredBytes = 500;
constexpr std::uint32_t kMessageChars = 200;

std::string TrimSpaces(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

DevLister::DevLister() : DevLister(DefaultDevicePlatform()) {}

DevLister::DevLister(std::shared_ptr<DevicePlatform> platform) : platform_(std::move(platform)) {}

std::int32_t DevLister::ListCount() const {
    return static_cast<std::int32_t>(list_.size());
}

std::shared_ptr<DevInfo_Storage> DevLister::Item(std::int32_t Index) const {
    if (Index < 1 || Index > ListCount()) {
        throw std::out_of_range("DevLister::Item: position " + std::to_string(Index) + " is outside 1 ... " +
                                std::to_string(ListCount()));
    }
    return list_[static_cast<std::size_t>(Index - 1)];
}

std::string DevLister::GetGUIDByName(const std::string& ClassName, std::vector<GUID_Storage>& ClassGUID) {
    std::uint32_t count = 0;
    platform_->ClassGuidsFromName(ClassName, nullptr, 0, &count);
    if (count == 0) return "Incorrect class name";

    std::vector<RawGuid> raw(count);
    if (!platform_->ClassGuidsFromName(ClassName, raw.data(), count, &count)) {
        return GetErrorText(platform_->LastErrorCode());
    }
    std::vector<GUID_Storage> loaded(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) loaded[i].CopyFromThisPTR(raw[i].bytes);
    ClassGUID = std::move(loaded);
    return "OK";
}

std::string DevLister::AddToList(const GUID_Storage* ClassID, bool bOnlyPresent) {
    RawGuid classArg{};
    std::uint32_t flags = bOnlyPresent ? kDigcfPresent : 0;
    if (ClassID) {
        ClassID->CopyToThisPTR(classArg.bytes);
    } else {
        flags |= kDigcfAllClasses;
    }

    const DeviceSetHandle set = platform_->OpenClassDevices(classArg, flags);
    if (set == kInvalidDeviceSet) return "(BAD HANDLE) " + GetErrorText(platform_->LastErrorCode());

    static const struct {
        std::uint32_t code;
        const char* name;
        std::string DevInfo_Storage::*member;
    } kRead[] = {
        {kSpdrpDeviceDesc, "SPDRP_DEVICEDESC", &DevInfo_Storage::SPDRP_DEVICEDESC},
        {kSpdrpFriendlyName, "SPDRP_FRIENDLYNAME", &DevInfo_Storage::SPDRP_FRIENDLYNAME},
        {kSpdrpClass, "SPDRP_CLASS", &DevInfo_Storage::SPDRP_CLASS},
    };
    std::string status = "OK";
    DeviceInfoData device{};
    device.cbSize = sizeof(DeviceInfoData);
    for (std::uint32_t index = 0; platform_->EnumDeviceInfo(set, index, &device); ++index) {
        auto record = std::make_shared<DevInfo_Storage>();
        record->Info_ClassGUID.CopyFromThisPTR(device.ClassGuid.bytes);
        record->Info_DevInst = static_cast<std::int32_t>(device.DevInst);
        for (const auto& read : kRead) {
            const DeviceProperty property = GetDeviceProperty(set, device, read.code);
            if (property.status == "OK") {
                (*record).*read.member = property.text;
                status = property.status;
            } else {
                status = std::string(read.name) + " " + property.status;
            }
        }
        list_.push_back(std::move(record));
    }
    platform_->DestroyDeviceInfoList(set);
    return status;
}

std::string DevLister::StrTrimToNull(const std::string& V) {
    return V.substr(0, V.find('\0'));
}

DevLister::DeviceProperty DevLister::GetDeviceProperty(DeviceSetHandle set, const DeviceInfoData& device,
                                                       std::uint32_t property) {
    DeviceProperty result;
    std::uint8_t buffer[kPropertyBufferBytes] = {};
    std::uint32_t required = 0;
    // A device without the property is not an error: the member stays empty.
    if (!platform_->GetDeviceRegistryProperty(set, device, property, buffer, kPropertyDeclaredBytes, &required)) {
        return result;
    }
    if (required > kPropertyDeclaredBytes) {
        result.status =
            "Buffer too small " + std::to_string(required) + " vs " + std::to_string(kPropertyDeclaredBytes);
        return result;
    }
    // The size counts the terminating NUL; a reported size of 0 is an empty text.
    if (required > 0) result.text = BytesToStr(buffer, sizeof buffer, static_cast<std::int32_t>(required) - 1);
    return result;
}

std::string DevLister::GetErrorText(std::uint32_t code) {
    std::string message(kMessageChars, ' ');
    platform_->FormatErrorMessage(code, message.data(), kMessageChars);
    return StrTrimToNull(TrimSpaces(message));
}

std::string DevLister::BytesToStr(const std::uint8_t* bytes, std::size_t size, std::int32_t count) {
    const std::size_t n = count < 0 ? size : std::min(size, static_cast<std::size_t>(count));
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

}  // namespace bayhaul
