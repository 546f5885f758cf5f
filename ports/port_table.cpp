#include "ports/port_table.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace bayhaul {
namespace {

// "<prefix><digits>" with canonical digits (no sign, no leading zero but
// "0" itself) and a value no larger than maxValue.
std::optional<int> ParseNumberedName(const std::string& name, const std::string& prefix, int maxValue) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
    long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > maxValue) return std::nullopt;
    }
    return static_cast<int>(value);
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::status(p, ec));
}

bool EntryExists(const fs::path& p) {  // true for a dangling link as well
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

std::vector<std::string> EntryNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    return names;
}

// The UART type the serial core reports; 0 (unknown) marks a phantom port.
bool UartTypeKnown(const fs::path& sysEntry) {
    std::ifstream in(sysEntry / "type");
    long type = 0;
    return (in >> type) && type != 0;
}

struct Hardware {
    PortKind kind;
    std::string name;  // ttyS0, ttyUSB1, ...
    int index;         // the number in the name
};

// Present hardware ports in the fixed order: UARTs, ttyUSB, ttyACM, each by
// the number in the name.
std::vector<Hardware> PresentHardware(const PortRoots& roots) {
    static const struct {
        const char* prefix;
        PortKind kind;
    } kFamilies[] = {{"ttyS", PortKind::Uart}, {"ttyUSB", PortKind::UsbSerial}, {"ttyACM", PortKind::UsbSerial}};
    std::vector<Hardware> found;
    const std::vector<std::string> names = EntryNames(roots.sysClassTty);
    for (const auto& family : kFamilies) {
        std::vector<Hardware> members;
        for (const std::string& name : names) {
            const auto index = ParseNumberedName(name, family.prefix, kMaxComNumber);
            if (!index) continue;
            const fs::path sysEntry = fs::path(roots.sysClassTty) / name;
            if (!EntryExists(sysEntry / "device") || !Exists(fs::path(roots.dev) / name)) continue;
            if (family.kind == PortKind::Uart && !UartTypeKnown(sysEntry)) continue;
            members.push_back({family.kind, name, *index});
        }
        std::sort(members.begin(), members.end(),
                  [](const Hardware& a, const Hardware& b) { return a.index < b.index; });
        found.insert(found.end(), members.begin(), members.end());
    }
    return found;
}

// Links COM<n> whose target exists, by number.
std::vector<SerialPort> PresentLinks(const std::string& folder) {
    std::vector<SerialPort> links;
    if (folder.empty()) return links;
    for (const std::string& name : EntryNames(folder)) {
        const auto com = ParseNumberedName(name, "COM", kMaxComNumber);
        if (!com || *com == 0) continue;
        const fs::path link = fs::path(folder) / name;
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(link, ec)) || !Exists(link)) continue;
        links.push_back({*com, PortKind::Virtual, link.string()});
    }
    return links;
}

bool IsLinkTarget(const fs::path& device, const std::vector<SerialPort>& links) {
    return std::any_of(links.begin(), links.end(), [&](const SerialPort& link) {
        std::error_code ec;
        return fs::equivalent(device, link.device, ec);
    });
}

int LowestFree(const std::set<int>& taken) {
    for (int com = 1; com <= kMaxComNumber; ++com) {
        if (!taken.count(com)) return com;
    }
    return 0;
}

}  // namespace

std::string VirtualPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/bayhaul/ports";
    return "/tmp/bayhaul-" + std::to_string(getuid()) + "/ports";
}

std::string VirtualPortFolderProblem(const std::string& folder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return "";
    for (const fs::path& step : {fs::path(folder).parent_path(), fs::path(folder)}) {
        struct stat st {};
        if (::lstat(step.c_str(), &st) != 0) return "";  // not made yet: nothing in it to trust
        if (!S_ISDIR(st.st_mode)) return step.string() + " is not a folder";
        if (st.st_uid != getuid()) return step.string() + " belongs to another user";
        if (st.st_mode & (S_IWGRP | S_IWOTH)) return step.string() + " may be written by other users";
    }
    return "";
}

PortRoots SystemPortRoots() {
    PortRoots roots;
    const std::string folder = VirtualPortFolder();
    if (VirtualPortFolderProblem(folder).empty()) roots.virtualPorts = folder;
    return roots;
}

std::vector<SerialPort> ScanSerialPorts(const PortRoots& roots) {
    std::vector<SerialPort> ports = PresentLinks(roots.virtualPorts);
    std::set<int> taken;
    for (const SerialPort& link : ports) taken.insert(link.com);

    std::vector<SerialPort> unnumbered;  // USB adapters, then displaced UARTs
    std::vector<SerialPort> displaced;
    for (const Hardware& hw : PresentHardware(roots)) {
        const fs::path device = fs::path(roots.dev) / hw.name;
        if (IsLinkTarget(device, ports)) continue;
        SerialPort port{0, hw.kind, device.string()};
        const int own = hw.index + 1;
        if (hw.kind == PortKind::Uart && own <= kMaxComNumber && !taken.count(own)) {
            port.com = own;
            taken.insert(own);
            ports.push_back(port);
        } else {
            (hw.kind == PortKind::Uart ? displaced : unnumbered).push_back(port);
        }
    }
    unnumbered.insert(unnumbered.end(), displaced.begin(), displaced.end());
    for (SerialPort& port : unnumbered) {
        port.com = LowestFree(taken);
        if (port.com == 0) break;  // every number is in use
        taken.insert(port.com);
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPort& a, const SerialPort& b) { return a.com < b.com; });
    return ports;
}

std::optional<std::string> DevicePathForCom(int com, const PortRoots& roots) {
    for (const SerialPort& port : ScanSerialPorts(roots)) {
        if (port.com == com) return port.device;
    }
    return std::nullopt;
}

}  // namespace bayhaul
