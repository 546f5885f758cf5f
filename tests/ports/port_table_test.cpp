#include "ports/port_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ports/fake_port_tree.h"
#include "support/scoped_env.h"

namespace bayhaul {
namespace {

using testing::FakePortTree;

// "COM<n> kind device" lines, so a failure shows the whole table.
std::vector<std::string> Describe(const std::vector<SerialPort>& ports) {
    std::vector<std::string> lines;
    for (const SerialPort& p : ports) {
        const char* kind = p.kind == PortKind::Uart ? "uart" : p.kind == PortKind::UsbSerial ? "usb" : "link";
        lines.push_back("COM" + std::to_string(p.com) + " " + kind + " " + p.device);
    }
    return lines;
}

TEST(PortTable, MissingFoldersGiveNoPorts) {
    PortRoots roots{"/nonexistent/sys", "/nonexistent/dev", "/nonexistent/ports"};
    EXPECT_TRUE(ScanSerialPorts(roots).empty());
    PortRoots noFolder = roots;
    noFolder.virtualPorts.clear();
    EXPECT_TRUE(ScanSerialPorts(noFolder).empty());
}

TEST(PortTable, OnlyRealUartsArePresentAndKeepTheirNumbers) {
    FakePortTree tree;
    tree.AddUart(0, 4);
    tree.AddUart(1, 0);  // phantom
    tree.AddUart(3, 4);
    tree.AddSysfsOnly("ttyS4");  // no /dev node, no type
    tree.AddUart(5, 4);
    std::ofstream(tree.roots().sysClassTty + "/ttyS5/type", std::ios::trunc) << "junk";
    EXPECT_EQ(Describe(ScanSerialPorts(tree.roots())),
              (std::vector<std::string>{"COM1 uart " + tree.DevPath("ttyS0"), "COM4 uart " + tree.DevPath("ttyS3")}));
}

TEST(PortTable, UsbAdaptersFillTheLowestFreeNumbersInFixedOrder) {
    FakePortTree tree;
    tree.AddUart(0, 4);
    tree.AddUart(2, 4);
    tree.AddUsb("ttyACM0");
    tree.AddUsb("ttyUSB10");
    tree.AddUsb("ttyUSB2");
    tree.AddUsb("ttyUSB0");
    tree.AddSysfsOnly("ttyUSB3");
    EXPECT_EQ(
        Describe(ScanSerialPorts(tree.roots())),
        (std::vector<std::string>{"COM1 uart " + tree.DevPath("ttyS0"), "COM2 usb " + tree.DevPath("ttyUSB0"),
                                  "COM3 uart " + tree.DevPath("ttyS2"), "COM4 usb " + tree.DevPath("ttyUSB2"),
                                  "COM5 usb " + tree.DevPath("ttyUSB10"), "COM6 usb " + tree.DevPath("ttyACM0")}));
}

TEST(PortTable, LinksWithExistingTargetsHoldTheirNumber) {
    FakePortTree tree;
    tree.AddUsb("ttyUSB0");
    std::ofstream{tree.DevPath("pts3")};
    tree.AddLink("COM1", tree.DevPath("pts3"));
    tree.AddLink("COM8", tree.DevPath("gone"));  // dangling: neither listed nor reserved
    for (const char* bad : {"COM0", "COM07", "com3", "COM", "COMx", "COM999", "COM-2"}) {
        tree.AddLink(bad, tree.DevPath("pts3"));
    }
    std::ofstream(tree.roots().virtualPorts + "/COM9");  // not a link
    const std::string link = tree.roots().virtualPorts + "/COM1";
    EXPECT_EQ(Describe(ScanSerialPorts(tree.roots())),
              (std::vector<std::string>{"COM1 link " + link, "COM2 usb " + tree.DevPath("ttyUSB0")}));
}

TEST(PortTable, ALinkDisplacesTheUartHoldingItsNumber) {
    FakePortTree tree;
    tree.AddUart(0, 4);
    tree.AddUart(1, 4);
    tree.AddUsb("ttyUSB0");
    std::ofstream{tree.DevPath("pts0")};
    tree.AddLink("COM1", tree.DevPath("pts0"));
    // The USB adapter takes the first free number; the displaced UART comes last.
    EXPECT_EQ(Describe(ScanSerialPorts(tree.roots())),
              (std::vector<std::string>{"COM1 link " + tree.roots().virtualPorts + "/COM1",
                                        "COM2 uart " + tree.DevPath("ttyS1"), "COM3 usb " + tree.DevPath("ttyUSB0"),
                                        "COM4 uart " + tree.DevPath("ttyS0")}));
}

TEST(PortTable, ALinkToHardwarePinsItsNumberWithoutListingItTwice) {
    FakePortTree tree;
    tree.AddUsb("ttyUSB0");
    tree.AddUsb("ttyUSB1");
    tree.AddLink("COM5", tree.DevPath("ttyUSB1"));
    EXPECT_EQ(Describe(ScanSerialPorts(tree.roots())),
              (std::vector<std::string>{"COM1 usb " + tree.DevPath("ttyUSB0"),
                                        "COM5 link " + tree.roots().virtualPorts + "/COM5"}));
}

TEST(PortTable, DevicePathForComFindsOnlyPresentPorts) {
    FakePortTree tree;
    tree.AddUart(0, 4);
    tree.AddUart(1, 0);
    EXPECT_EQ(DevicePathForCom(1, tree.roots()), tree.DevPath("ttyS0"));
    EXPECT_EQ(DevicePathForCom(2, tree.roots()), std::nullopt);
    EXPECT_EQ(DevicePathForCom(0, tree.roots()), std::nullopt);
    EXPECT_EQ(DevicePathForCom(-1, tree.roots()), std::nullopt);
}

TEST(VirtualPortFolder, FollowsTheRuntimeDirOrFallsBackToTmp) {
    const std::string fallback = "/tmp/bayhaul-" + std::to_string(getuid()) + "/ports";
    ScopedEnv env;
    env.Set("XDG_RUNTIME_DIR", "/run/user/1000");
    EXPECT_EQ(VirtualPortFolder(), "/run/user/1000/bayhaul/ports");
    EXPECT_EQ(SystemPortRoots().virtualPorts, "/run/user/1000/bayhaul/ports");
    env.Set("XDG_RUNTIME_DIR", "relative/dir");
    EXPECT_EQ(VirtualPortFolder(), fallback);
    env.Set("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(VirtualPortFolder(), fallback);
    env.Unset("XDG_RUNTIME_DIR");
    EXPECT_EQ(VirtualPortFolder(), fallback);
}

TEST(VirtualPortFolder, TheSharedFallbackIsTrustedOnlyWhenItIsTheUsersAlone) {
    ScopedEnv env;
    env.Unset("XDG_RUNTIME_DIR");
    TempDir tmp;
    const std::string parent = tmp / "bayhaul-user";
    const std::string folder = parent + "/ports";
    EXPECT_EQ(VirtualPortFolderProblem(folder), "") << "not made yet";
    ASSERT_EQ(::mkdir(parent.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_EQ(VirtualPortFolderProblem(folder), "");

    ::chmod(folder.c_str(), 0777);
    EXPECT_EQ(VirtualPortFolderProblem(folder), folder + " may be written by other users");
    ::chmod(folder.c_str(), 0700);
    ::chmod(parent.c_str(), 0770);
    EXPECT_EQ(VirtualPortFolderProblem(folder), parent + " may be written by other users");
    ::chmod(parent.c_str(), 0700);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        EXPECT_EQ(VirtualPortFolderProblem(folder), folder + " belongs to another user");
    }

    const std::string planted = tmp / "planted";
    std::filesystem::create_symlink(parent, planted);
    EXPECT_EQ(VirtualPortFolderProblem(planted + "/ports"), planted + " is not a folder");

    env.Set("XDG_RUNTIME_DIR", tmp.Path());
    EXPECT_EQ(VirtualPortFolderProblem(planted + "/ports"), "") << "the runtime folder is the user's own";
}

}  // namespace
}  // namespace bayhaul
