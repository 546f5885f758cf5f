// The one place that turns a COM number into a serial device path and back.
// The device enumerator and the terminal library both use it, so the
// number a user sees in the port list is the number the library opens.
//
// Numbering:
//   - a symbolic link COM<n> in the virtual-port folder whose target exists
//     is COM<n>; its device path is the link itself, so a program that
//     re-creates the link (the simulator, say) keeps its number and path;
//   - ttyS<k> (a UART that really exists) is COM<k+1>, unless a link holds it;
//   - USB serial adapters (ttyUSB* then ttyACM*, each in numeric order) take
//     the lowest numbers still free, and after them any UART whose own
//     number a link holds;
//   - a device that a link points at is listed once, under the link's number;
//   - no number is ever given twice; numbers run from 1 to kMaxComNumber.
//
// Presence is decided from sysfs and the /dev root alone, never by opening
// a device: a hardware port needs <sysClassTty>/<name>/device and
// <dev>/<name>; a UART also needs a known type (<sysClassTty>/ttyS<k>/type
// not 0), which drops the phantom 8250 ports the kernel always registers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ports/com_number.h"

namespace bayhaul {

enum class PortKind { Uart, UsbSerial, Virtual };

struct SerialPort {
    int com = 0;  // 1 = COM1
    PortKind kind = PortKind::Uart;
    std::string device;  // the path to open, e.g. /dev/ttyUSB0 or a virtual-port link
};

// Where the table looks. Tests point these at a fake tree.
struct PortRoots {
    std::string sysClassTty = "/sys/class/tty";
    std::string dev = "/dev";
    std::string virtualPorts;  // the folder of COM<n> links
};

// $XDG_RUNTIME_DIR/bayhaul/ports, or /tmp/bayhaul-<uid>/ports when that
// variable is unset, empty or not an absolute path. Not created here.
std::string VirtualPortFolder();

// Why the virtual-port folder may not be trusted, or "" when it may. The
// runtime folder is the user's own; the fallback in the shared /tmp is
// trusted only when it and the folder above it are real folders (no links)
// owned by this user and writable by nobody else, so that no other user
// can plant port links there. A fallback that does not exist yet is fine.
std::string VirtualPortFolderProblem(const std::string& folder);

// The real machine's roots; an untrusted virtual-port folder is left out.
PortRoots SystemPortRoots();

// Every present serial port, ordered by COM number. Missing or unreadable
// folders contribute no ports.
std::vector<SerialPort> ScanSerialPorts(const PortRoots& roots);

// The device path for a COM number, if such a port is present now.
std::optional<std::string> DevicePathForCom(int com, const PortRoots& roots);

}  // namespace bayhaul
