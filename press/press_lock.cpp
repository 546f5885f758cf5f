#include "press/press_lock.h"

#include <ctime>

namespace bayhaul {

std::string PressHolderText(const std::string& written, const std::string& who, unsigned long process) {
    const std::string holder = who + ", process " + std::to_string(process) + ", since ";
    if (written.compare(0, holder.size(), holder) == 0) return "";
    const std::time_t now = std::time(nullptr);
    char since[32] = "";
    if (const std::tm* local = std::localtime(&now)) std::strftime(since, sizeof since, "%Y-%m-%d %H:%M:%S", local);
    return holder + since;
}

std::string PressRunningText(const std::string& holder) {
    const std::string who = holder.empty() ? "another Bayhaul" : holder;
    return "Another press is running (" + who + "). Try again when it has finished.";
}

}  // namespace bayhaul
