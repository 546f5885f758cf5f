// A fresh pseudo-terminal for tests: a real tty device that no hardware
// backs, the kind of port the simulator publishes.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace bayhaul::testing {

class PseudoTerminal {
public:
    PseudoTerminal() : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            if (master_ >= 0) close(master_);
            throw std::runtime_error("cannot open a pseudo-terminal");
        }
        slave_ = ptsname(master_);
    }
    ~PseudoTerminal() { close(master_); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slave() const { return slave_; }

private:
    int master_;
    std::string slave_;
};

}  // namespace bayhaul::testing
