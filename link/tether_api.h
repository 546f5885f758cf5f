// The ten functions of the terminal link library, as the program calls
// them. The library is loaded at run time; our own build of it (tether/)
// and the terminal maker's 32-bit Windows DLL both export these names.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define TETHER_CALL __stdcall
#else
#define TETHER_CALL
#endif

// Opaque handle of one library session; 0 means none.
using LinkHandle = std::int32_t;

// The values of the library's contract that the program relies on.
namespace bayhaul::tether_contract {

// "A": the first argument after the handle of every file and clock call.
inline constexpr std::int16_t kLetterCode = 65;
// Tether_Connect: the terminal answered.
inline constexpr std::int16_t kConnected = 1;
// Tether_Connect, our library only: the user may not open the port.
inline constexpr std::int16_t kPortNoPermission = -11;
// Tether_ESC_J: the file can be fetched, with data or empty.
inline constexpr std::int16_t kFileHasData = 8;
inline constexpr std::int16_t kFileEmpty = 6;
// Tether_StLoad: a status of 2 or more is final, and 2 itself means the
// whole file arrived and is in place at the local path.
inline constexpr std::int16_t kTransferDone = 2;

}  // namespace bayhaul::tether_contract

extern "C" {
using Tether_Create_t = LinkHandle(TETHER_CALL*)();
using Tether_SetupEx_t = std::int16_t(TETHER_CALL*)(LinkHandle handle, std::int16_t comPort, std::uint8_t speedCode,
                                                    std::uint8_t stopBitsCode, std::uint8_t parityCode);
using Tether_Connect_t = std::int16_t(TETHER_CALL*)(LinkHandle handle);
using Tether_ESC_J_t = std::int16_t(TETHER_CALL*)(LinkHandle handle, std::int16_t letter, char* fileName,
                                                  std::uint8_t* nameLength);
using Tether_UpLoad_t = std::int16_t(TETHER_CALL*)(LinkHandle handle, std::int16_t letter, char* localPath,
                                                   const char* terminalFile, std::int16_t reserved, std::int16_t mode);
using Tether_StLoad_t = std::int16_t(TETHER_CALL*)(LinkHandle handle, std::int16_t selector,
                                                   std::int32_t* bytesReceived, std::int32_t* bytesTotal);
using Tether_ESC_E_t = std::int16_t(TETHER_CALL*)(LinkHandle handle, std::int16_t letter, const char* fileName,
                                                  std::int16_t nameLength);
using Tether_ESC_M_t = std::int16_t(TETHER_CALL*)(LinkHandle handle, std::int16_t letter, char* stamp);
using Tether_Disconnect_t = std::int16_t(TETHER_CALL*)(LinkHandle handle);
using Tether_Destroy_t = std::int16_t(TETHER_CALL*)(LinkHandle handle);
// What the library offers beyond the ten functions, as bits (tether_codes.h).
// Ours exports it; a library without it (the terminal maker's) offers nothing more.
using Tether_Features_t = std::int32_t(TETHER_CALL*)();  // optional export
}
