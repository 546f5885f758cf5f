// Opening a serial device on POSIX: the causes a user must be told apart.
#include "tether/core/serial_port.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/in_child.h"
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

}  // namespace
}  // namespace bayhaul::tether
