// One device listed by DevLister. The members are named after the device
// registry properties they hold; DevLister fills Info_DevInst,
// Info_ClassGUID, SPDRP_CLASS, SPDRP_DEVICEDESC and SPDRP_FRIENDLYNAME,
// the rest keep their initial 0, empty text or all-zero GUID.
#pragma once

#include <cstdint>
#include <string>

#include "ports/guid_storage.h"

namespace bayhaul {

class DevInfo_Storage {
public:
    std::int32_t Info_DevInst = 0;
    GUID_Storage Info_ClassGUID;
    std::int32_t SPDRP_ADDRESS = 0;
    std::int32_t SPDRP_BUSNUMBER = 0;
    GUID_Storage SPDRP_BUSTYPEGUID;
    std::int32_t SPDRP_CAPABILITIES = 0;
    std::int32_t SPDRP_CHARACTERISTICS = 0;
    std::string SPDRP_CLASS;
    std::string SPDRP_CLASSGUID;
    std::string SPDRP_COMPATIBLEIDS;
    std::int32_t SPDRP_CONFIGFLAGS = 0;
    std::string SPDRP_DEVICEDESC;
    std::int32_t SPDRP_DEVTYPE = 0;
    std::string SPDRP_DRIVER;
    std::string SPDRP_ENUMERATOR_NAME;
    std::int32_t SPDRP_EXCLUSIVE = 0;
    std::string SPDRP_FRIENDLYNAME;
    std::string SPDRP_HARDWAREID;
    std::int32_t SPDRP_INSTALL_STATE = 0;
    std::string SPDRP_LOCATION_INFORMATION;
    std::string SPDRP_LOWERFILTERS;
    std::string SPDRP_MFG;
    std::string SPDRP_PHYSICAL_DEVICE_OBJECT_NAME;
    std::int32_t SPDRP_REMOVAL_POLICY = 0;
    std::int32_t SPDRP_REMOVAL_POLICY_HW_DEFAULT = 0;
    std::int32_t SPDRP_REMOVAL_POLICY_OVERRIDE = 0;
    std::string SPDRP_SECURITY_SDS;
    std::string SPDRP_SERVICE;
    std::int32_t SPDRP_UI_NUMBER = 0;
    std::string SPDRP_UI_NUMBER_DESC_FORMAT;
    std::string SPDRP_UPPERFILTERS;

    // The friendly name, or the device description when there is none.
    std::string GetName() const;
};

}  // namespace bayhaul
