// The simulator's pseudo-terminal, published as COM<n> in the virtual-port
// folder for as long as the simulator runs.
#pragma once

#include <memory>
#include <string>

#include "tether/core/fd_line.h"

namespace bayhaul::sim {

class VirtualPort {
public:
    // Opens a pseudo-terminal and links COM<com> to it; nullptr with `error`
    // set when the number is taken by a live port or the link cannot be made.
    static std::unique_ptr<VirtualPort> Publish(int com, std::string& error);
    ~VirtualPort();  // removes the link if it is still ours
    VirtualPort(const VirtualPort&) = delete;
    VirtualPort& operator=(const VirtualPort&) = delete;

    // Hangs up (closes the pseudo-terminal, so the other side sees the line
    // drop) and publishes a fresh one under the same number.
    bool Renew(std::string& error);

    tether::FdLine& line() { return *master_; }
    const std::string& device() const { return device_; }
    // The speed the other side set on the line, in bit/s (0 if unknown).
    int LineSpeed() const;

    // Removes the link from a signal handler (async-signal-safe).
    static void RemoveLinkOnSignal();

private:
    explicit VirtualPort(std::string link) : link_(std::move(link)) {}
    bool OpenTerminal(std::string& error);
    bool Link(std::string& error);

    std::string link_;
    std::string device_;
    std::unique_ptr<tether::FdLine> master_;
    int slaveFd_ = -1;  // kept open so the master never reads EIO between connections
};

}  // namespace bayhaul::sim
