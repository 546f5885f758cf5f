// The results our terminal library returns, as docs/link-protocol.md lists
// them. The library returns them and the program reads them, but only from
// a library that declares them (kFeatureOurCodes): the terminal maker's
// library gives its own values, of which the program relies only on those
// in tether_api.h.
#pragma once

#include <cstdint>

#include "link/tether_api.h"

namespace bayhaul::tether::feature {

// The bits of Tether_Features, an optional export of ours.
inline constexpr std::int32_t kOurCodes = 1;  // the results below
// Calls on different handles may run at the same time, from different
// threads, so the sessions of several ports can run side by side.
inline constexpr std::int32_t kConcurrentSessions = 2;

}  // namespace bayhaul::tether::feature

namespace bayhaul::tether::result {

inline constexpr std::int16_t kOk = tether_contract::kConnected;  // also success of the other calls
inline constexpr std::int16_t kBadHandle = -1;
inline constexpr std::int16_t kNotSetUp = -2;
inline constexpr std::int16_t kNoSuchPort = -3;
inline constexpr std::int16_t kPortBusy = -4;
inline constexpr std::int16_t kPortError = -5;
inline constexpr std::int16_t kNotConnected = -6;
inline constexpr std::int16_t kBadArgument = -7;
inline constexpr std::int16_t kBusy = -8;
inline constexpr std::int16_t kNoAnswer = -9;
inline constexpr std::int16_t kRefused = -10;
inline constexpr std::int16_t kPortNoPermission = tether_contract::kPortNoPermission;
// Tether_Connect: bytes arrived, but nothing in them could be understood (a
// terminal on a noisy line, or a device that is not a terminal).
inline constexpr std::int16_t kLineNoisy = -12;

// Tether_Connect
inline constexpr std::int16_t kNobodyAnswered = 0;
// Tether_ESC_J
inline constexpr std::int16_t kFileHasData = tether_contract::kFileHasData;
inline constexpr std::int16_t kFileEmpty = tether_contract::kFileEmpty;
inline constexpr std::int16_t kNoSuchFile = 0;
// Tether_ESC_E: kOk, kNoSuchFile, or this: the terminal's file is no longer
// the one copied last on this handle, so it was kept.
inline constexpr std::int16_t kFileChanged = 2;
// Tether_UpLoad
inline constexpr std::int16_t kStarted = 1;
inline constexpr std::int16_t kNotStarted = 0;

}  // namespace bayhaul::tether::result

namespace bayhaul::tether::transfer {

// Tether_StLoad: below kDone running, kDone success, above it each failure.
inline constexpr std::int16_t kRequested = 0;
inline constexpr std::int16_t kReceiving = 1;
inline constexpr std::int16_t kDone = tether_contract::kTransferDone;
inline constexpr std::int16_t kBadHandle = 3;
inline constexpr std::int16_t kNoTransfer = 4;
inline constexpr std::int16_t kNoSuchFile = 5;
inline constexpr std::int16_t kNoAnswer = 6;
inline constexpr std::int16_t kTimedOut = 7;
inline constexpr std::int16_t kLineLost = 8;
inline constexpr std::int16_t kProtocolFailure = 9;
inline constexpr std::int16_t kSizeWrong = 10;
inline constexpr std::int16_t kLocalFileError = 11;  // none of the kinds below
inline constexpr std::int16_t kCancelled = 12;
inline constexpr std::int16_t kBadArgument = 13;
inline constexpr std::int16_t kDiskFull = 14;
inline constexpr std::int16_t kReadOnlyFolder = 15;    // the file system is read-only
inline constexpr std::int16_t kFolderNotAllowed = 16;  // the user may not write there
inline constexpr std::int16_t kPathTooLong = 17;
inline constexpr std::int16_t kPathInTheWay = 18;  // a folder or a read-only file where the file goes
// The copy, whole, is not the terminal's file (its size and SHA-256 differ),
// also when copied again from its start: the file kept changing.
inline constexpr std::int16_t kChangedDuringCopy = 19;
// The terminal did not answer when asked for its file's size and SHA-256,
// so the copy could not be checked whole.
inline constexpr std::int16_t kNotConfirmed = 20;

}  // namespace bayhaul::tether::transfer
