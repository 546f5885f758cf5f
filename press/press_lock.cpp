#include "press/press_lock.h"

#include <ctime>

namespace bayhaul {

std::string PressHolderText(const std::string& who, unsigned long process) {
    const std::time_t now = std::time(nullptr);
    char since[32] = "";
    if (const std::tm* local = std::localtime(&now)) std::strftime(since, sizeof since, "%Y-%m-%d %H:%M:%S", local);
    return who + ", process " + std::to_string(process) + ", since " + since;
}

std::string HolderOf(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string PressRunningText(const std::string& holder) {
    const std::string who = holder.empty() ? "another Bayhaul" : holder;
    return "Another press is running (" + who + "). Try again when it has finished.";
}

std::string NotOurLockText(const std::string& path, LockObstacle obstacle) {
    const char* what = obstacle == LockObstacle::Link        ? " is a symbolic link, which Bayhaul does not follow"
                       : obstacle == LockObstacle::OtherName ? " has another name too (a hard link), so it may be "
                                                               "another file"
                                                             : " is not a file (a folder, a pipe or a device)";
    return "Cannot make sure that no other press runs: " + path + what + ": remove it.";
}

}  // namespace bayhaul
