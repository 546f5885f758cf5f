// bayhaul-ports: lists every present serial port, one line each:
//   COM<n> <TAB> friendly name <TAB> device path [<TAB> why it cannot be opened]
// It asks the device enumerator for the "Ports" class, exactly as the
// download does, and the port table for the path behind each COM number.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ports/dev_lister.h"
#include "ports/port_table.h"

namespace {

// The number in a name that ends with "(COM<n>)".
std::optional<int> ComNumberOf(const std::string& name) {
    const std::string::size_type open = name.rfind("(COM");
    if (open == std::string::npos || name.back() != ')') return std::nullopt;
    const std::string digits = name.substr(open + 4, name.size() - open - 5);
    if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoi(digits);
}

// "" when this user may open the device; otherwise what to do about it.
std::string PermissionProblem(const std::string& device) {
    if (access(device.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return "";
    // The group is worth joining only when it may read and write the device.
    struct stat info {};
    const bool groupMayUse = stat(device.c_str(), &info) == 0 && (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    const group* owner = groupMayUse ? getgrgid(info.st_gid) : nullptr;
    if (!owner) return "\tno permission to open it";
    const std::string name = owner->gr_name;
    return "\tno permission: join the " + name + " group (sudo usermod -aG " + name + " $USER), then log in again";
}

int Fail(const std::string& what, const std::string& status) {
    std::fprintf(stderr, "bayhaul-ports: %s: %s\n", what.c_str(), status.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s\nLists the present serial ports: COM number, name, device path, and\nwhy this user may not open one.\n", argv[0]);
        return 2;
    }
    bayhaul::DevLister lister;
    std::vector<bayhaul::GUID_Storage> classes;
    std::string status = lister.GetGUIDByName("Ports", classes);
    if (status != "OK") return Fail("class Ports", status);
    status = lister.AddToList(&classes[0], true);
    if (status != "OK") return Fail("listing ports", status);

    const std::string folder = bayhaul::VirtualPortFolder();
    const std::string distrust = bayhaul::VirtualPortFolderProblem(folder);
    if (!distrust.empty()) {
        std::fprintf(stderr, "bayhaul-ports: ignoring the virtual ports in %s: %s\n", folder.c_str(), distrust.c_str());
    }
    const bayhaul::PortRoots roots = bayhaul::SystemPortRoots();
    for (std::int32_t i = 1; i <= lister.ListCount(); ++i) {
        const std::string name = lister.Item(i)->GetName();
        const std::optional<int> com = ComNumberOf(name);
        // A port that went away since it was listed has no path any more.
        const std::optional<std::string> device = com ? bayhaul::DevicePathForCom(*com, roots) : std::nullopt;
        if (!device) continue;
        std::printf("COM%d\t%s\t%s%s\n", *com, name.c_str(), device->c_str(), PermissionProblem(*device).c_str());
    }
    return 0;
}
