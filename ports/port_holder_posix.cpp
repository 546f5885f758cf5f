#include "ports/port_holder.h"

#include "ports/port_table.h"
#include "ports/uucp_lock.h"

namespace bayhaul {

std::string PortHolder(int com) {
    const std::optional<std::string> device = DevicePathForCom(com, SystemPortRoots());
    return device ? uucp::HolderText(uucp::LockFileFor(*device)) : "";
}

}  // namespace bayhaul
