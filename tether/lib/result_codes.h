// The results our terminal library returns, as docs/link-protocol.md
// lists them. Callers compare with these fixed values.
#pragma once

#include <cstdint>

#include "link/tether_api.h"

namespace bayhaul::tether::result {

constexpr std::int16_t kOk = tether_contract::kConnected;  // also success of the other calls
constexpr std::int16_t kBadHandle = -1;
constexpr std::int16_t kNotSetUp = -2;
constexpr std::int16_t kNoSuchPort = -3;
constexpr std::int16_t kPortBusy = -4;
constexpr std::int16_t kPortError = -5;
constexpr std::int16_t kNotConnected = -6;
constexpr std::int16_t kBadArgument = -7;
constexpr std::int16_t kBusy = -8;
constexpr std::int16_t kNoAnswer = -9;
constexpr std::int16_t kRefused = -10;
constexpr std::int16_t kPortNoPermission = tether_contract::kPortNoPermission;

// Tether_Connect
constexpr std::int16_t kNobodyAnswered = 0;
// Tether_ESC_J
constexpr std::int16_t kFileHasData = tether_contract::kFileHasData;
constexpr std::int16_t kFileEmpty = tether_contract::kFileEmpty;
constexpr std::int16_t kNoSuchFile = 0;
// Tether_ESC_E: kOk, or kNoSuchFile
// Tether_UpLoad
constexpr std::int16_t kStarted = 1;
constexpr std::int16_t kNotStarted = 0;

}  // namespace bayhaul::tether::result

namespace bayhaul::tether::transfer {

// Tether_StLoad: below kDone running, kDone success, above it each failure.
constexpr std::int16_t kRequested = 0;
constexpr std::int16_t kReceiving = 1;
constexpr std::int16_t kDone = tether_contract::kTransferDone;
constexpr std::int16_t kBadHandle = 3;
constexpr std::int16_t kNoTransfer = 4;
constexpr std::int16_t kNoSuchFile = 5;
constexpr std::int16_t kNoAnswer = 6;
constexpr std::int16_t kTimedOut = 7;
constexpr std::int16_t kLineLost = 8;
constexpr std::int16_t kProtocolFailure = 9;
constexpr std::int16_t kSizeWrong = 10;
constexpr std::int16_t kLocalFileError = 11;
constexpr std::int16_t kCancelled = 12;
constexpr std::int16_t kBadArgument = 13;

}  // namespace bayhaul::tether::transfer
