// A tiny terminal link library for the loader tests: the ten functions
// with C linkage and the library's calling convention, answering fixed
// values. Built with STUB_LEAVE_OUT_ESC_M it lacks Tether_ESC_M.
#include <cstdint>

#include "link/tether_api.h"

#ifdef _WIN32
#define STUB_EXPORT extern "C" __declspec(dllexport)
#else
#define STUB_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// A handle no real session would be given, so a test can tell this library answered.
STUB_EXPORT std::int32_t TETHER_CALL Tether_Create() {
    return 4242;
}
STUB_EXPORT std::int16_t TETHER_CALL Tether_SetupEx(std::int32_t, std::int16_t, std::uint8_t, std::uint8_t, std::uint8_t) {
    return 0;
}
STUB_EXPORT std::int16_t TETHER_CALL Tether_Connect(std::int32_t handle) {
    return handle == 4242 ? 1 : 0;
}
STUB_EXPORT std::int16_t TETHER_CALL Tether_ESC_J(std::int32_t, std::int16_t, char*, std::uint8_t*) {
    return 8;
}
STUB_EXPORT std::int16_t TETHER_CALL Tether_UpLoad(std::int32_t, std::int16_t, char*, const char*, std::int16_t, std::int16_t) {
    return -1;
}
STUB_EXPORT std::int16_t TETHER_CALL Tether_StLoad(std::int32_t, std::int16_t, std::int32_t*, std::int32_t*) {
    return 2;
}
STUB_EXPORT std::int16_t TETHER_CALL Tether_ESC_E(std::int32_t, std::int16_t, const char*, std::int16_t) {
    return 0;
}
#ifndef STUB_LEAVE_OUT_ESC_M
STUB_EXPORT std::int16_t TETHER_CALL Tether_ESC_M(std::int32_t, std::int16_t, char*) {
    return 0;
}
#endif
STUB_EXPORT std::int16_t TETHER_CALL Tether_Disconnect(std::int32_t) {
    return 0;
}
STUB_EXPORT std::int16_t TETHER_CALL Tether_Destroy(std::int32_t) {
    return 0;
}
