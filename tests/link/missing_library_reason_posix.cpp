#include <string>

namespace bayhaul {

// dlerror() names the file, then the system's text.
bool IsMissingFileReason(const std::string& reason) {
    return reason.find("No such file or directory") != std::string::npos;
}

}  // namespace bayhaul
