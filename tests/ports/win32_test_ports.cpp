#include "ports/win32_test_ports.h"

#include <windows.h>
#include <setupapi.h>

namespace bayhaul::testing_ports {
namespace {

// {4D36E978-E325-11CE-BFC1-08002BE10318}, the Ports setup class.
const GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string Failure(const char* call) {
    return std::string(call) + " failed with error " + std::to_string(::GetLastError());
}

// One device-information set, destroyed on every way out.
class DeviceSet {
public:
    DeviceSet() : set_(SetupDiCreateDeviceInfoList(&kPortsClass, nullptr)) {}
    ~DeviceSet() {
        if (Valid()) SetupDiDestroyDeviceInfoList(set_);
    }
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;

    bool Valid() const { return set_ != INVALID_HANDLE_VALUE; }
    HDEVINFO Get() const { return set_; }

private:
    HDEVINFO set_;
};

}  // namespace

std::string DefaultFriendlyName(int com) {
    return "Communications Port (COM" + std::to_string(com) + ")";
}

std::string TestPortInstanceId(int com) {
    return "ROOT\\BAYHAUL_TEST_PORT\\COM" + std::to_string(com);
}

std::string RegisterTestPort(int com, const std::string& friendlyName) {
    if (std::string removed = RemoveTestPort(com); !removed.empty()) return removed;

    DeviceSet set;
    if (!set.Valid()) return Failure("SetupDiCreateDeviceInfoList");
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    const std::string id = TestPortInstanceId(com);
    if (!SetupDiCreateDeviceInfoA(set.Get(), id.c_str(), &kPortsClass, nullptr, nullptr, 0, &device)) {
        return Failure("SetupDiCreateDeviceInfoA");
    }
    // The size counts the terminating NUL, as the registry stores it.
    if (!SetupDiSetDeviceRegistryPropertyA(set.Get(), &device, SPDRP_FRIENDLYNAME,
                                           reinterpret_cast<const BYTE*>(friendlyName.c_str()),
                                           static_cast<DWORD>(friendlyName.size() + 1))) {
        return Failure("SetupDiSetDeviceRegistryPropertyA");
    }
    // Until it is registered the device is a phantom that vanishes with the set.
    if (!SetupDiRegisterDeviceInfo(set.Get(), &device, 0, nullptr, nullptr, nullptr)) {
        return Failure("SetupDiRegisterDeviceInfo");
    }
    return "";
}

std::string RemoveTestPort(int com) {
    DeviceSet set;
    if (!set.Valid()) return Failure("SetupDiCreateDeviceInfoList");
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    const std::string id = TestPortInstanceId(com);
    if (!SetupDiOpenDeviceInfoA(set.Get(), id.c_str(), nullptr, 0, &device)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_NO_SUCH_DEVINST) return "";
        return "SetupDiOpenDeviceInfoA failed with error " + std::to_string(error);
    }
    if (!SetupDiRemoveDevice(set.Get(), &device)) return Failure("SetupDiRemoveDevice");
    return "";
}

}  // namespace bayhaul::testing_ports
