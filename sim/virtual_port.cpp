#include "sim/virtual_port.h"

#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "ports/port_table.h"

namespace bayhaul::sim {

namespace {
// The link and its target, for the signal handler, which may not allocate.
char gLinkPath[4096];
char gDevicePath[256];

void RememberForSignal(const std::string& link, const std::string& device) {
    std::snprintf(gLinkPath, sizeof gLinkPath, "%s", link.c_str());
    std::snprintf(gDevicePath, sizeof gDevicePath, "%s", device.c_str());
}

bool LinkIsOurs(const char* link, const char* device) {
    char target[sizeof gDevicePath];
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n < 0) return false;
    target[n] = '\0';
    return std::strcmp(target, device) == 0;
}
}  // namespace

void VirtualPort::RemoveLinkOnSignal() {
    if (gLinkPath[0] && LinkIsOurs(gLinkPath, gDevicePath)) unlink(gLinkPath);
}

std::unique_ptr<VirtualPort> VirtualPort::Publish(int com, std::string& error) {
    const std::string folder = VirtualPortFolder();
    std::error_code ec;
    // For this user alone: the Bayhaul program trusts no folder others may write.
    const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    for (const std::filesystem::path& step : {parent, std::filesystem::path(folder)}) {
        if (mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) {
            std::filesystem::create_directories(step, ec);  // a runtime folder's missing parents
            if (ec) {
                error = "cannot create " + step.string() + ": " + ec.message();
                return nullptr;
            }
        }
    }
    if (const std::string problem = VirtualPortFolderProblem(folder); !problem.empty()) {
        error = "the folder for virtual ports is not safe to use: " + problem;
        return nullptr;
    }
    std::unique_ptr<VirtualPort> port(new VirtualPort(folder + "/COM" + std::to_string(com)));
    if (std::filesystem::exists(port->link_, ec)) {
        error = port->link_ + " already leads to a present port";
        return nullptr;
    }
    if (!port->OpenTerminal(error) || !port->Link(error)) return nullptr;
    return port;
}

VirtualPort::~VirtualPort() {
    if (LinkIsOurs(link_.c_str(), device_.c_str())) unlink(link_.c_str());
    gLinkPath[0] = '\0';
    if (slaveFd_ >= 0) close(slaveFd_);
}

bool VirtualPort::OpenTerminal(std::string& error) {
    int masterFd = -1;
    int slaveFd = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B115200);
    if (openpty(&masterFd, &slaveFd, name, &raw, nullptr) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    if (slaveFd_ >= 0) close(slaveFd_);
    master_ = std::make_unique<tether::FdLine>(masterFd);
    slaveFd_ = slaveFd;
    device_ = name;
    return true;
}

// Points the link at the device in one step (a new link renamed over it).
bool VirtualPort::Link(std::string& error) {
    const std::string temp = link_ + ".new-" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(device_.c_str(), temp.c_str()) != 0 || std::rename(temp.c_str(), link_.c_str()) != 0) {
        error = "cannot link " + link_ + ": " + std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    RememberForSignal(link_, device_);
    return true;
}

bool VirtualPort::Renew(std::string& error) {
    master_.reset();  // the other side now sees a hang-up
    return OpenTerminal(error) && Link(error);
}

int VirtualPort::LineSpeed() const {
    termios tio{};
    if (tcgetattr(master_->fd(), &tio) != 0) return 0;
    switch (cfgetospeed(&tio)) {
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}

}  // namespace bayhaul::sim
