// The device a COM number opens on this platform.
#pragma once

#include <optional>
#include <string>

namespace bayhaul::tether {

// The path of COM<com> if such a port may be present; nothing when the
// number cannot name a port here.
std::optional<std::string> ComDevicePath(int com);

}  // namespace bayhaul::tether
