// A pseudo-terminal for link tests: the master side as a ByteLine, the slave
// side as a path (and an open descriptor, so the pair stays up).
#pragma once

#include <memory>
#include <string>

#include "tether/core/fd_line.h"

namespace bayhaul::tether::testing {

struct PtyPair {
    std::unique_ptr<FdLine> master;
    int slaveFd = -1;
    std::string slavePath;

    PtyPair();  // raw mode on both sides; fails the current test if it cannot open one
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
};

}  // namespace bayhaul::tether::testing
