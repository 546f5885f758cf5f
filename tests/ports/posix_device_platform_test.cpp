#include "ports/posix_device_platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "ports/dev_lister.h"
#include "ports/fake_port_tree.h"
#include "ports/pseudo_terminal.h"

namespace bayhaul {
namespace {

using testing::FakePortTree;
using testing::PseudoTerminal;

struct Listed {
    std::string name, desc, cls;
    std::int32_t devInst;
    bool portsClass;
};

std::vector<Listed> List(const std::shared_ptr<DevicePlatform>& platform, const GUID_Storage* classId,
                         std::string* status) {
    DevLister lister(platform);
    *status = lister.AddToList(classId, true);
    GUID_Storage ports;
    const RawGuid raw = PortsClassGuid();
    ports.CopyFromThisPTR(raw.bytes);
    std::vector<Listed> out;
    for (std::int32_t i = 1; i <= lister.ListCount(); ++i) {
        const auto r = lister.Item(i);
        RawGuid got;
        r->Info_ClassGUID.CopyToThisPTR(got.bytes);
        out.push_back({r->GetName(), r->SPDRP_DEVICEDESC, r->SPDRP_CLASS, r->Info_DevInst,
                       std::memcmp(got.bytes, raw.bytes, 16) == 0});
    }
    return out;
}

TEST(PosixDevicePlatform, OnlyPortsHasAClassGuid) {
    auto platform = std::make_shared<PosixDevicePlatform>(PortRoots{});
    DevLister lister(platform);
    std::vector<GUID_Storage> guids;
    ASSERT_EQ(lister.GetGUIDByName("Ports", guids), "OK");
    ASSERT_EQ(guids.size(), 1u);
    EXPECT_EQ(guids[0].Data1, 0x4D36E978);
    for (const char* other : {"ports", "Modem", ""}) {
        EXPECT_EQ(lister.GetGUIDByName(other, guids), "Incorrect class name") << other;
    }
    EXPECT_EQ(guids.size(), 1u);
}

TEST(PosixDevicePlatform, ListsThePresentSerialPortsWithTheirNames) {
    FakePortTree tree;
    PseudoTerminal pty;
    tree.AddUart(0, 4);
    tree.AddUart(1, 0);  // phantom
    tree.AddUsb("ttyUSB0");
    tree.AddUsb("ttyACM0");
    tree.AddLink("COM1", pty.slave());            // takes ttyS0's number
    tree.AddLink("COM2", tree.DevPath("ttyS9"));  // dangling
    auto platform = std::make_shared<PosixDevicePlatform>(tree.roots());

    DevLister lister(platform);
    std::vector<GUID_Storage> guids;
    ASSERT_EQ(lister.GetGUIDByName("Ports", guids), "OK");
    std::string status;
    const auto ports = List(platform, &guids[0], &status);
    EXPECT_EQ(status, "OK");
    ASSERT_EQ(ports.size(), 4u);
    const char* expected[][2] = {{"Communications Port (COM1)", "Communications Port"},
                                 {"USB Serial Port (COM2)", "USB Serial Port"},
                                 {"USB Serial Port (COM3)", "USB Serial Port"},
                                 {"Communications Port (COM4)", "Communications Port"}};
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].name, expected[i][0]);
        EXPECT_EQ(ports[i].desc, expected[i][1]);
        EXPECT_EQ(ports[i].cls, "Ports");
        EXPECT_EQ(ports[i].devInst, static_cast<std::int32_t>(i + 1));
        EXPECT_TRUE(ports[i].portsClass);
    }

    // Every class holds the same ports; another class holds none.
    EXPECT_EQ(List(platform, nullptr, &status).size(), 4u);
    GUID_Storage modem;
    modem.Data1 = 0x4D36E96D;
    EXPECT_TRUE(List(platform, &modem, &status).empty());
    EXPECT_EQ(status, "OK");
}

TEST(PosixDevicePlatform, ReportsFailuresAsErrnoCodesWithStrerrorTexts) {
    FakePortTree tree;
    tree.AddUart(0, 4);
    PosixDevicePlatform platform(tree.roots());

    EXPECT_EQ(platform.OpenClassDevices(PortsClassGuid(), 0x10), kInvalidDeviceSet);
    EXPECT_EQ(platform.LastErrorCode(), static_cast<std::uint32_t>(EINVAL));
    char text[200];
    ASSERT_GT(platform.FormatErrorMessage(EINVAL, text, sizeof text), 0u);
    EXPECT_STREQ(text, std::strerror(EINVAL));
    EXPECT_EQ(platform.FormatErrorMessage(EINVAL, text, 3), 0u);

    const DeviceSetHandle set = platform.OpenClassDevices(PortsClassGuid(), kDigcfPresent);
    ASSERT_NE(set, kInvalidDeviceSet);
    DeviceInfoData device{};
    device.cbSize = 28 + 1;  // a record of the wrong size is refused
    EXPECT_FALSE(platform.EnumDeviceInfo(set, 0, &device));
    device.cbSize = sizeof(DeviceInfoData);
    ASSERT_TRUE(platform.EnumDeviceInfo(set, 0, &device));
    EXPECT_FALSE(platform.EnumDeviceInfo(set, 1, &device));

    std::uint8_t buffer[64];
    std::uint32_t required = 0;
    EXPECT_FALSE(platform.GetDeviceRegistryProperty(set, device, kSpdrpFriendlyName, buffer, 5, &required));
    EXPECT_EQ(required, sizeof("Communications Port (COM1)"));
    EXPECT_FALSE(platform.GetDeviceRegistryProperty(set, device, 1 /* hardware id */, buffer, 64, &required));

    platform.DestroyDeviceInfoList(set);
    EXPECT_FALSE(platform.EnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(platform.LastErrorCode(), static_cast<std::uint32_t>(EBADF));
}

TEST(PosixDevicePlatform, BadFlagsGiveTheBadHandleStatus) {
    // DevLister never sends unknown flags; this checks the text path end to end.
    class OddFlags : public PosixDevicePlatform {
    public:
        using PosixDevicePlatform::PosixDevicePlatform;
        DeviceSetHandle OpenClassDevices(const RawGuid& g, std::uint32_t flags) override {
            return PosixDevicePlatform::OpenClassDevices(g, flags | 0x100);
        }
    };
    DevLister lister(std::make_shared<OddFlags>(PortRoots{}));
    EXPECT_EQ(lister.AddToList(nullptr, true), std::string("(BAD HANDLE) ") + std::strerror(EINVAL));
}

}  // namespace
}  // namespace bayhaul
