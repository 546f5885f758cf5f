#include "link/tether_result_text.h"

#include "link/tether_codes.h"

namespace bayhaul {

namespace {

using Cause = FailureCause;

struct Entry {
    std::int16_t code;
    const char* words;
    Cause cause;
    bool tellsHowFar;  // a failure of the line: how far the file came is added
};

constexpr Entry kRequestResults[] = {
    {tether::result::kBadHandle, "the terminal library lost track of the link", Cause::Library, false},
    {tether::result::kNotSetUp, "the link was not set up", Cause::Library, false},
    {tether::result::kNoSuchPort, "the port has gone (unplugged?)", Cause::PortGone, false},
    {tether::result::kPortBusy, "in use by another program", Cause::PortInUse, false},
    {tether::result::kPortError, "the port could not be opened or set up", Cause::Port, false},
    {tether::result::kNotConnected, "the terminal is not connected", Cause::Terminal, false},
    {tether::result::kBadArgument, "the terminal library refused the request as malformed", Cause::Library, false},
    {tether::result::kBusy, "a transfer was still running on the link", Cause::Library, false},
    {tether::result::kNoAnswer, "the terminal did not answer", Cause::Terminal, false},
    {tether::result::kRefused, "the terminal refused the request", Cause::Terminal, false},
    {tether::result::kPortNoPermission, "you may not open this port", Cause::PortPermission, false},
    {tether::result::kLineNoisy, "a terminal may be there, but the line is too noisy to understand it",
     Cause::NoisyLine, false},
};

constexpr Entry kTransferStatuses[] = {
    {tether::transfer::kBadHandle, "the terminal library lost track of the link", Cause::Library, false},
    {tether::transfer::kNoTransfer, "the transfer did not start", Cause::Terminal, false},
    {tether::transfer::kNoSuchFile, "the terminal no longer has the file", Cause::Terminal, false},
    {tether::transfer::kNoAnswer, "the terminal did not answer the request for its file", Cause::Terminal, false},
    {tether::transfer::kTimedOut, "the terminal stopped sending", Cause::Terminal, true},
    {tether::transfer::kLineLost, "the terminal hung up", Cause::Terminal, true},
    {tether::transfer::kProtocolFailure, "too many errors on the line", Cause::NoisyLine, true},
    {tether::transfer::kSizeWrong, "the file ended early", Cause::Terminal, true},
    {tether::transfer::kLocalFileError, "the file could not be written", Cause::Folder, false},
    {tether::transfer::kCancelled, "the transfer was cancelled", Cause::Stopped, false},
    {tether::transfer::kBadArgument, "the terminal library refused the request as malformed", Cause::Library, false},
    {tether::transfer::kDiskFull, "the disk is full", Cause::DiskFull, false},
    {tether::transfer::kReadOnlyFolder, "the folder is read-only", Cause::Folder, false},
    {tether::transfer::kFolderNotAllowed, "you may not write to the folder", Cause::Folder, false},
    {tether::transfer::kPathTooLong, "the path is too long", Cause::PathTooLong, false},
    {tether::transfer::kPathInTheWay, "a folder or a read-only file is in the way of the file", Cause::Folder, false},
    {tether::transfer::kChangedDuringCopy, "the terminal's file changed while it was copied, twice",
     Cause::FileChanging, false},
    {tether::transfer::kNotConfirmed, "the terminal did not answer when asked to confirm the copy", Cause::Terminal,
     false},
};

std::string After(const std::string& bytes) {
    return bytes.empty() ? std::string() : " after " + bytes;
}

template <std::size_t N>
const Entry* Find(const Entry (&table)[N], std::int16_t code) {
    for (const Entry& entry : table) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

}  // namespace

FailureWords RequestFailure(std::int16_t result) {
    if (const Entry* entry = Find(kRequestResults, result)) return {entry->words, entry->cause};
    return {"library result " + std::to_string(result), Cause::Library};
}

FailureWords TransferFailure(std::int16_t status, const std::string& bytes) {
    if (const Entry* entry = Find(kTransferStatuses, status))
        return {entry->words + (entry->tellsHowFar ? After(bytes) : std::string()), entry->cause};
    return {"library status " + std::to_string(status) + After(bytes), Cause::Library};
}

}  // namespace bayhaul
