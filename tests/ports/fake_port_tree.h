// A throw-away sysfs + /dev + virtual-port tree in a temporary folder, so
// the port table and the POSIX backend can be tested without hardware.
// Device nodes are plain files: presence never depends on opening them.
#pragma once

#include <string>

#include "ports/port_table.h"
#include "support/temp_dir.h"

namespace bayhaul::testing {

class FakePortTree {
public:
    FakePortTree();
    FakePortTree(const FakePortTree&) = delete;
    FakePortTree& operator=(const FakePortTree&) = delete;

    const PortRoots& roots() const { return roots_; }

    // A UART ttyS<k>; uartType 0 is the kernel's "unknown" (a phantom port).
    void AddUart(int k, int uartType);
    // ttyUSB<n> or ttyACM<n> as the kernel shows a plugged-in adapter.
    void AddUsb(const std::string& name);
    // A sysfs entry without its /dev node (a node removed under our feet).
    void AddSysfsOnly(const std::string& name);
    // COM<n> -> target in the virtual-port folder; target may not exist.
    void AddLink(const std::string& linkName, const std::string& target);
    std::string DevPath(const std::string& name) const;

private:
    void AddSysfsEntry(const std::string& name);
    TempDir dir_;
    std::string base_;
    PortRoots roots_;
};

}  // namespace bayhaul::testing
