// The one place that turns a COM number into a serial device path and back.
// The device enumerator and the terminal library both use it, so the
// number a user sees in the port list is the number the library opens.
//
// Numbering:
//   - a link COM<n> in the virtual-port folder whose target exists is COM<n>;
//   - ttyS<k> (a UART that really exists) is COM<k+1>, unless a link holds it;
//   - USB serial adapters (ttyUSB* then ttyACM*, each in numeric order) take
//     the lowest numbers still free;
//   - no number is ever given twice.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bayhaul {

enum class PortKind { Uart, UsbSerial, Virtual };

struct SerialPort {
    int com = 0;           // 1 = COM1
    PortKind kind = PortKind::Uart;
    std::string device;    // the path to open, e.g. /dev/ttyUSB0 or a virtual-port link
};

// Where the table looks. Tests point these at a fake tree.
struct PortRoots {
    std::string sysClassTty = "/sys/class/tty";
    std::string dev = "/dev";
    std::string virtualPorts;  // the folder of COM<n> links
};

// $XDG_RUNTIME_DIR/bayhaul/ports, or /tmp/bayhaul-<uid>/ports when unset.
std::string VirtualPortFolder();

// The real machine's roots.
PortRoots SystemPortRoots();

// Every present serial port, ordered by COM number.
std::vector<SerialPort> ScanSerialPorts(const PortRoots& roots);

// The device path for a COM number, if such a port is present now.
std::optional<std::string> DevicePathForCom(int com, const PortRoots& roots);

}  // namespace bayhaul
