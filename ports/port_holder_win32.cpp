#include "ports/port_holder.h"

namespace bayhaul {

std::string PortHolder(int) {
    return "";
}

}  // namespace bayhaul
