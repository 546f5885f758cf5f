// One device listed by DevLister: its instance, its class GUID, and the
// device registry properties read for it, each member named after its
// property.
#pragma once

#include <cstdint>
#include <string>

#include "ports/guid_storage.h"

namespace bayhaul {

class DevInfo_Storage {
public:
    std::int32_t Info_DevInst = 0;
    GUID_Storage Info_ClassGUID;
    std::string SPDRP_CLASS;
    std::string SPDRP_DEVICEDESC;
    std::string SPDRP_FRIENDLYNAME;

    // The friendly name, or the device description when there is none.
    std::string GetName() const;
};

}  // namespace bayhaul
