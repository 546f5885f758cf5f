#include "pty_pair.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace bayhaul::tether::testing {

PtyPair::PtyPair() {
    int masterFd = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B115200);
    if (openpty(&masterFd, &slaveFd, name, &raw, nullptr) != 0) {
        ADD_FAILURE() << "openpty failed";
        return;
    }
    master = std::make_unique<FdLine>(masterFd);
    slavePath = name;
}

PtyPair::~PtyPair() {
    if (slaveFd >= 0) close(slaveFd);
}

}  // namespace bayhaul::tether::testing
