// The exported functions (the ten and Tether_Features): argument checks, handle look-up, and the
// hand-over to the session. Nothing here throws across the C boundary.
#include <cstring>
#include <string>
#include <type_traits>

#include "link/tether_api.h"
#include "tether/core/frame.h"
#include "tether/lib/handle_table.h"
#include "link/tether_codes.h"

#if defined(_WIN32)
#define TETHER_EXPORT __declspec(dllexport)
#else
#define TETHER_EXPORT __attribute__((visibility("default")))
#endif

using namespace bayhaul::tether;

namespace {

using bayhaul::tether_contract::kLetterCode;

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

// Runs a call on the handle's session; `invalid` when there is no such
// handle, and also when the call fails in a way it cannot report (no memory).
template <typename Call>
std::int16_t WithSession(LinkHandle handle, std::int16_t invalid, Call call) {
    try {
        const auto session = Handles().Find(handle);
        return session ? call(*session) : invalid;
    } catch (...) {
        return invalid;
    }
}

// The first `length` characters of a name buffer, up to a NUL.
std::string NameOf(const char* text, std::size_t length) {
    return std::string(text, strnlen(text, length));
}

}  // namespace

extern "C" {

TETHER_EXPORT LinkHandle TETHER_CALL Tether_Create() {
    try {
        return Handles().Create();
    } catch (...) {
        return 0;
    }
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_SetupEx(LinkHandle handle, std::int16_t comPort, std::uint8_t speedCode,
                                                      std::uint8_t stopBitsCode, std::uint8_t parityCode) {
    return WithSession(handle, result::kBadHandle,
                       [&](PortConnection& s) { return s.Setup(comPort, speedCode, stopBitsCode, parityCode); });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_Connect(LinkHandle handle) {
    return WithSession(handle, result::kBadHandle, [](PortConnection& s) { return s.Connect(); });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_ESC_J(LinkHandle handle, std::int16_t letter, char* fileName,
                                                    std::uint8_t* nameLength) {
    return WithSession(handle, result::kBadHandle, [&](PortConnection& s) {
        if (letter != kLetterCode || !fileName || !nameLength) return result::kBadArgument;
        return s.QueryFile(NameOf(fileName, *nameLength));
    });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_UpLoad(LinkHandle handle, std::int16_t letter, char* localPath,
                                                     const char* terminalFile, std::int16_t /*reserved*/,
                                                     std::int16_t /*mode*/) {
    return WithSession(handle, result::kNotStarted, [&](PortConnection& s) {
        if (letter != kLetterCode || !localPath || !terminalFile) {
            s.RejectDownload(transfer::kBadArgument);
            return result::kNotStarted;
        }
        return s.StartDownload(localPath, NameOf(terminalFile, kMaxPayload + 1));
    });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_StLoad(LinkHandle handle, std::int16_t selector,
                                                     std::int32_t* bytesReceived, std::int32_t* bytesTotal) {
    return WithSession(handle, transfer::kBadHandle, [&](PortConnection& s) {
        if (selector != 0 && selector != 1) return transfer::kBadArgument;
        return s.TransferStatus(bytesReceived, bytesTotal);
    });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_ESC_E(LinkHandle handle, std::int16_t letter, const char* fileName,
                                                    std::int16_t nameLength) {
    return WithSession(handle, result::kBadHandle, [&](PortConnection& s) {
        if (letter != kLetterCode || !fileName || nameLength <= 0) return result::kBadArgument;
        return s.DeleteFile(NameOf(fileName, static_cast<std::size_t>(nameLength)));
    });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_ESC_M(LinkHandle handle, std::int16_t letter, char* stamp) {
    return WithSession(handle, result::kBadHandle, [&](PortConnection& s) {
        if (letter != kLetterCode || !stamp) return result::kBadArgument;
        return s.SetClock(NameOf(stamp, 15));
    });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_Disconnect(LinkHandle handle) {
    return WithSession(handle, result::kBadHandle, [](PortConnection& s) { return s.Disconnect(); });
}

TETHER_EXPORT std::int16_t TETHER_CALL Tether_Destroy(LinkHandle handle) {
    try {
        const auto session = Handles().Release(handle);
        if (!session) return result::kBadHandle;
        session->Disconnect();
        return result::kOk;
    } catch (...) {
        return result::kBadHandle;
    }
}

TETHER_EXPORT std::int32_t TETHER_CALL Tether_Features() {
    return feature::kOurCodes | feature::kConcurrentSessions;
}

}  // extern "C"

// The exports must keep exactly the types the program calls them through.
static_assert(std::is_same_v<LinkHandle, Handle>);
static_assert(std::is_same_v<decltype(&Tether_Create), Tether_Create_t>);
static_assert(std::is_same_v<decltype(&Tether_SetupEx), Tether_SetupEx_t>);
static_assert(std::is_same_v<decltype(&Tether_Connect), Tether_Connect_t>);
static_assert(std::is_same_v<decltype(&Tether_ESC_J), Tether_ESC_J_t>);
static_assert(std::is_same_v<decltype(&Tether_UpLoad), Tether_UpLoad_t>);
static_assert(std::is_same_v<decltype(&Tether_StLoad), Tether_StLoad_t>);
static_assert(std::is_same_v<decltype(&Tether_ESC_E), Tether_ESC_E_t>);
static_assert(std::is_same_v<decltype(&Tether_ESC_M), Tether_ESC_M_t>);
static_assert(std::is_same_v<decltype(&Tether_Disconnect), Tether_Disconnect_t>);
static_assert(std::is_same_v<decltype(&Tether_Destroy), Tether_Destroy_t>);
static_assert(std::is_same_v<decltype(&Tether_Features), Tether_Features_t>);
