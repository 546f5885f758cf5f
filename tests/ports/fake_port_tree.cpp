#include "ports/fake_port_tree.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bayhaul::testing {

FakePortTree::FakePortTree() {
    if (dir_.Path().empty()) throw std::runtime_error("cannot make a temporary folder");
    base_ = dir_.Path();
    roots_.sysClassTty = base_ + "/sys/class/tty";
    roots_.dev = base_ + "/dev";
    roots_.virtualPorts = base_ + "/ports";
    fs::create_directories(roots_.sysClassTty);
    fs::create_directories(roots_.dev);
    fs::create_directories(roots_.virtualPorts);
    fs::create_directories(base_ + "/sys/devices/platform");
}

void FakePortTree::AddSysfsEntry(const std::string& name) {
    const fs::path entry = fs::path(roots_.sysClassTty) / name;
    fs::create_directories(entry);
    fs::create_directory_symlink(base_ + "/sys/devices/platform", entry / "device");
}

void FakePortTree::AddUart(int k, int uartType) {
    const std::string name = "ttyS" + std::to_string(k);
    AddSysfsEntry(name);
    std::ofstream(fs::path(roots_.sysClassTty) / name / "type") << uartType << "\n";
    std::ofstream{DevPath(name)};
}

void FakePortTree::AddUsb(const std::string& name) {
    AddSysfsEntry(name);
    std::ofstream{DevPath(name)};
}

void FakePortTree::AddSysfsOnly(const std::string& name) {
    AddSysfsEntry(name);
}

void FakePortTree::AddLink(const std::string& linkName, const std::string& target) {
    fs::create_symlink(target, fs::path(roots_.virtualPorts) / linkName);
}

std::string FakePortTree::DevPath(const std::string& name) const {
    return roots_.dev + "/" + name;
}

}  // namespace bayhaul::testing
