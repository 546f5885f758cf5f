// DevLister over the real SetupAPI (under Wine here): class names, a
// registered stand-in port, and system error texts.
#include "ports/dev_lister.h"
#include "ports/win32_device_platform.h"
#include "ports/win32_test_ports.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace bayhaul {
namespace {

using Bytes = std::array<std::uint8_t, 16>;

// {4D36E978-E325-11CE-BFC1-08002BE10318} as the platform lays it out.
const Bytes kPortsClass = {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                           0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

// A number no real port here has, so the test never meets another device.
constexpr int kTestCom = 201;

Bytes Stored(const GUID_Storage& guid) {
    Bytes out;
    guid.CopyToThisPTR(out.data());
    return out;
}

GUID_Storage PortsClass() {
    GUID_Storage guid;
    guid.CopyFromThisPTR(kPortsClass.data());
    return guid;
}

std::string SystemText(DWORD code) {
    char text[200] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text, sizeof text, nullptr);
    return text;
}

std::vector<std::string> Names(const DevLister& lister) {
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= lister.ListCount(); ++i) names.push_back(lister.Item(i)->GetName());
    return names;
}

bool Lists(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(Win32DevicePlatform, PortsClassNameGivesItsGuid) {
    DevLister lister;
    std::vector<GUID_Storage> guids;
    ASSERT_EQ(lister.GetGUIDByName("Ports", guids), "OK");
    ASSERT_EQ(guids.size(), 1u);
    EXPECT_EQ(Stored(guids[0]), kPortsClass);
}

TEST(Win32DevicePlatform, UnknownClassNameIsRefusedAndLeavesTheGuidsAlone) {
    DevLister lister;
    std::vector<GUID_Storage> guids{PortsClass()};
    EXPECT_EQ(lister.GetGUIDByName("NoSuchBayhaulClass", guids), "Incorrect class name");
    ASSERT_EQ(guids.size(), 1u);
    EXPECT_EQ(Stored(guids[0]), kPortsClass);
}

TEST(Win32DevicePlatform, ClassCountComesBackEvenWhenThereIsNoRoom) {
    Win32DevicePlatform platform;
    std::uint32_t count = 0;
    EXPECT_FALSE(platform.ClassGuidsFromName("Ports", nullptr, 0, &count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(platform.LastErrorCode(), static_cast<std::uint32_t>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Win32DevicePlatform, RegisteredPortIsListedByItsFriendlyNameUntilRemoved) {
    const std::string name = testing_ports::DefaultFriendlyName(kTestCom);
    ASSERT_EQ(testing_ports::RegisterTestPort(kTestCom, name), "");
    // Registering the same number again replaces the device rather than adding one.
    ASSERT_EQ(testing_ports::RegisterTestPort(kTestCom, name), "");

    const GUID_Storage ports = PortsClass();
    DevLister present;
    EXPECT_EQ(present.AddToList(&ports, true), "OK");
    const auto names = Names(present);
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 1);
    for (std::int32_t i = 1; i <= present.ListCount(); ++i) {
        if (present.Item(i)->GetName() != name) continue;
        EXPECT_EQ(present.Item(i)->SPDRP_FRIENDLYNAME, name);
        EXPECT_EQ(Stored(present.Item(i)->Info_ClassGUID), kPortsClass);
    }

    DevLister everyClass;
    everyClass.AddToList(nullptr, true);
    EXPECT_TRUE(Lists(Names(everyClass), name));

    ASSERT_EQ(testing_ports::RemoveTestPort(kTestCom), "");
    DevLister afterRemoval;
    afterRemoval.AddToList(&ports, false);
    EXPECT_FALSE(Lists(Names(afterRemoval), name));
    EXPECT_EQ(testing_ports::RemoveTestPort(kTestCom), "") << "removing an absent port is not an error";
}

// The real platform, except that opening a device set fails with a chosen
// code, so the system's own text for it comes back through DevLister.
class FailingOpen : public Win32DevicePlatform {
public:
    explicit FailingOpen(DWORD code) : code_(code) {}
    DeviceSetHandle OpenClassDevices(const RawGuid&, std::uint32_t) override {
        ::SetLastError(code_);
        return kInvalidDeviceSet;
    }

private:
    DWORD code_;
};

TEST(Win32DevicePlatform, FailureCarriesTheSystemsOwnText) {
    for (const DWORD code : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_INVALID_PARAMETER}, DWORD{ERROR_NOT_ENOUGH_MEMORY}}) {
        const std::string text = SystemText(code);
        ASSERT_FALSE(text.empty()) << "no system text for " << code;
        DevLister lister{std::make_shared<FailingOpen>(code)};
        EXPECT_EQ(lister.AddToList(nullptr, true), "(BAD HANDLE) " + text) << code;
    }
    // A code without a text leaves only the prefix.
    DevLister lister{std::make_shared<FailingOpen>(0x2000FFFF)};
    EXPECT_EQ(lister.AddToList(nullptr, true), "(BAD HANDLE) ");
}

TEST(Win32DevicePlatform, ErrorTextFitsItsBufferAndIsTerminated) {
    Win32DevicePlatform platform;
    const std::string text = SystemText(ERROR_ACCESS_DENIED);
    char buffer[200];
    std::memset(buffer, 'x', sizeof buffer);
    const std::uint32_t length = platform.FormatErrorMessage(ERROR_ACCESS_DENIED, buffer, sizeof buffer);
    EXPECT_EQ(length, text.size());
    EXPECT_EQ(std::string(buffer), text);
}

}  // namespace
}  // namespace bayhaul
