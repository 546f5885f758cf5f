#include "ports/dev_info_storage.h"

namespace bayhaul {

std::string DevInfo_Storage::GetName() const {
    return SPDRP_FRIENDLYNAME.empty() ? SPDRP_DEVICEDESC : SPDRP_FRIENDLYNAME;
}

}  // namespace bayhaul
