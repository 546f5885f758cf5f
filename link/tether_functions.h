// The ten functions of the terminal link library as one table, with the
// optional ones of ours, filled by the loader from the loaded library (or by
// a fake in tests).
#pragma once

#include "link/tether_api.h"

namespace bayhaul {

struct TetherFunctions {
    Tether_Create_t Tether_Create = nullptr;
    Tether_SetupEx_t Tether_SetupEx = nullptr;
    Tether_Connect_t Tether_Connect = nullptr;
    Tether_ESC_J_t Tether_ESC_J = nullptr;
    Tether_UpLoad_t Tether_UpLoad = nullptr;
    Tether_StLoad_t Tether_StLoad = nullptr;
    Tether_ESC_E_t Tether_ESC_E = nullptr;
    Tether_ESC_M_t Tether_ESC_M = nullptr;
    Tether_Disconnect_t Tether_Disconnect = nullptr;
    Tether_Destroy_t Tether_Destroy = nullptr;
    Tether_Features_t Tether_Features = nullptr;  // nullptr when the library lacks it
};

}  // namespace bayhaul
