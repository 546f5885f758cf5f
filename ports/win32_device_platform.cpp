#include "ports/win32_device_platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>

namespace bayhaul {
namespace {

static_assert(sizeof(RawGuid) == sizeof(GUID), "RawGuid must match GUID");
#ifdef _WIN64
static_assert(sizeof(SP_DEVINFO_DATA) == 32, "64-bit SP_DEVINFO_DATA is 32 bytes");
#else
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "32-bit SP_DEVINFO_DATA is 28 bytes");
#endif
static_assert(sizeof(DeviceInfoData) == sizeof(SP_DEVINFO_DATA), "DeviceInfoData must match SP_DEVINFO_DATA");
static_assert(offsetof(DeviceInfoData, ClassGuid) == offsetof(SP_DEVINFO_DATA, ClassGuid), "ClassGuid offset");
static_assert(offsetof(DeviceInfoData, DevInst) == offsetof(SP_DEVINFO_DATA, DevInst), "DevInst offset");
static_assert(offsetof(DeviceInfoData, Reserved) == offsetof(SP_DEVINFO_DATA, Reserved), "Reserved offset");

HDEVINFO ToHandle(DeviceSetHandle set) {
    return reinterpret_cast<HDEVINFO>(set);
}

SP_DEVINFO_DATA ToPlatform(const DeviceInfoData& device) {
    SP_DEVINFO_DATA data;
    std::memcpy(&data, &device, sizeof data);
    return data;
}

}  // namespace

bool Win32DevicePlatform::ClassGuidsFromName(const std::string& className, RawGuid* guids, std::uint32_t capacity,
                                             std::uint32_t* requiredCount) {
    DWORD required = 0;
    const BOOL ok = SetupDiClassGuidsFromNameA(className.c_str(), reinterpret_cast<LPGUID>(guids), capacity, &required);
    if (requiredCount) *requiredCount = required;
    return ok != FALSE;
}

DeviceSetHandle Win32DevicePlatform::OpenClassDevices(const RawGuid& classGuid, std::uint32_t flags) {
    GUID guid;
    std::memcpy(&guid, classGuid.bytes, sizeof guid);
    return reinterpret_cast<DeviceSetHandle>(SetupDiGetClassDevsA(&guid, nullptr, nullptr, flags));
}

bool Win32DevicePlatform::EnumDeviceInfo(DeviceSetHandle set, std::uint32_t memberIndex, DeviceInfoData* device) {
    SP_DEVINFO_DATA data = ToPlatform(*device);
    const BOOL ok = SetupDiEnumDeviceInfo(ToHandle(set), memberIndex, &data);
    std::memcpy(device, &data, sizeof data);
    return ok != FALSE;
}

bool Win32DevicePlatform::GetDeviceRegistryProperty(DeviceSetHandle set, const DeviceInfoData& device,
                                                    std::uint32_t property, std::uint8_t* buffer,
                                                    std::uint32_t bufferSize, std::uint32_t* requiredSize) {
    SP_DEVINFO_DATA data = ToPlatform(device);
    DWORD required = 0;
    const BOOL ok =
        SetupDiGetDeviceRegistryPropertyA(ToHandle(set), &data, property, nullptr, buffer, bufferSize, &required);
    if (requiredSize) *requiredSize = required;
    return ok != FALSE;
}

void Win32DevicePlatform::DestroyDeviceInfoList(DeviceSetHandle set) {
    SetupDiDestroyDeviceInfoList(ToHandle(set));
}

std::uint32_t Win32DevicePlatform::LastErrorCode() {
    return ::GetLastError();
}

std::uint32_t Win32DevicePlatform::FormatErrorMessage(std::uint32_t code, char* buffer, std::uint32_t bufferSize) {
    return ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, buffer, bufferSize, nullptr);
}

}  // namespace bayhaul
