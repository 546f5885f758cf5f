// Opening a serial device on POSIX: the causes a user must be told apart.
#include "tether/core/serial_port.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ports/uucp_lock.h"
#include "support/in_child.h"
#include "support/temp_dir.h"
#include "tether/pty_pair.h"

namespace bayhaul::tether {
namespace {

TEST(SerialPort, ADeviceTheUserMayNotOpenIsToldApartFromOtherFailures) {
    testing::PtyPair pty;
    ASSERT_EQ(chmod(pty.slavePath.c_str(), 0), 0);
    // As root the test drops to an ordinary user, for whom mode 0 holds.
    const int result = RunInChild({true, -1}, [&] {
        const OpenedPort port = OpenSerialPort(pty.slavePath, 115200);
        return port.error == OpenError::NoPermission && !port.line ? 0 : 1;
    });
    EXPECT_EQ(result, 0);

    EXPECT_EQ(OpenSerialPort(pty.slavePath + "-gone", 115200).error, OpenError::Failed);
}

// Whether the device is held for exclusive use; nothing when this process
// cannot look (only root opens a device so held).
std::optional<bool> HeldExclusively(const std::string& device) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    int exclusive = 0;
    const bool told = ioctl(fd, TIOCGEXCL, &exclusive) == 0;
    close(fd);
    if (!told) return std::nullopt;
    return exclusive != 0;
}

// The exclusive use is the port's: a second opener that is refused must not
// take it from the first (root passes it and gets as far as the locks).
TEST(SerialPort, ARefusedOpenerLeavesTheHolderItsExclusiveUse) {
    testing::PtyPair pty;
    {
        const OpenedPort holder = OpenSerialPort(pty.slavePath, 115200);
        ASSERT_TRUE(holder.line);
        if (!HeldExclusively(pty.slavePath)) GTEST_SKIP() << "only root can look at a port held for exclusive use";
        for (int opener = 0; opener < 2; ++opener) {
            const OpenedPort refused = OpenSerialPort(pty.slavePath, 115200);
            EXPECT_EQ(refused.error, OpenError::Busy);
            EXPECT_FALSE(refused.line);
        }
        EXPECT_EQ(HeldExclusively(pty.slavePath), true) << "the holder keeps its exclusive use";
    }
    EXPECT_EQ(HeldExclusively(pty.slavePath), false) << "and gives it up";
}

// A lock file that holds no process number (a program killed between
// creating and writing it) blocks the port only while it may be in the
// making.
TEST(SerialPort, AnEmptyOrGarbledLockFileIsStaleAfterTheGrace) {
    testing::PtyPair pty;
    const std::string lock = uucp::LockFileFor(pty.slavePath);
    for (const std::string text : {"", "garbled\n"}) {
        SCOPED_TRACE("\"" + text + "\"");
        std::filesystem::remove(lock);
        WriteWholeFile(lock, text);
        if (!std::filesystem::exists(lock))
            GTEST_SKIP() << "the lock folder " << uucp::kLockFolder << " is not ours to write";
        EXPECT_EQ(OpenSerialPort(pty.slavePath, 115200).error, OpenError::Busy) << "within the grace";
        const std::time_t old = std::time(nullptr) - uucp::kGrace.count() - 1;
        const timespec times[2] = {{old, 0}, {old, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, lock.c_str(), times, 0), 0);
        {
            const OpenedPort port = OpenSerialPort(pty.slavePath, 115200);
            EXPECT_TRUE(port.line) << "after the grace";
            EXPECT_EQ(std::stoi(ReadWholeFile(lock)), getpid()) << "the lock is this process's now";
        }
        EXPECT_FALSE(std::filesystem::exists(lock)) << "and given back";
    }
}

}  // namespace
}  // namespace bayhaul::tether
