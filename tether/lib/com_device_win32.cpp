// Windows: \\.\COM<n>, the form that reaches every number, COM10 and above
// included.
#include "tether/lib/com_device.h"

#include "ports/com_number.h"

namespace bayhaul::tether {

std::optional<std::string> ComDevicePath(int com) {
    if (com < 1 || com > kMaxComNumber) return std::nullopt;
    return "\\\\.\\COM" + std::to_string(com);
}

}  // namespace bayhaul::tether
