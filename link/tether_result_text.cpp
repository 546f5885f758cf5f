#include "link/tether_result_text.h"

#include "link/tether_codes.h"

namespace bayhaul {

namespace {

// Serial devices on Linux belong to the dialout group.
constexpr char kNoPortPermission[] =
    "you may not open this port: join the dialout group (sudo usermod -aG dialout $USER), then log in again";

std::string After(const std::string& bytes) {
    return bytes.empty() ? std::string() : " after " + bytes;
}

}  // namespace

std::string RequestFailureText(std::int16_t result) {
    namespace r = tether::result;
    switch (result) {
        case r::kBadHandle:
            return "the terminal library lost track of the link";
        case r::kNotSetUp:
            return "the link was not set up";
        case r::kNoSuchPort:
            return "the port has gone (unplugged?)";
        case r::kPortBusy:
            return "in use by another program";
        case r::kPortError:
            return "the port could not be opened or set up";
        case r::kNotConnected:
            return "the terminal is not connected";
        case r::kBadArgument:
            return "the terminal library refused the request as malformed";
        case r::kBusy:
            return "a transfer was still running on the link";
        case r::kNoAnswer:
            return "the terminal did not answer";
        case r::kRefused:
            return "the terminal refused the request";
        case r::kPortNoPermission:
            return kNoPortPermission;
        default:
            return "library result " + std::to_string(result);
    }
}

std::string TransferFailureText(std::int16_t status, const std::string& bytes) {
    namespace t = tether::transfer;
    switch (status) {
        case t::kBadHandle:
            return "the terminal library lost track of the link";
        case t::kNoTransfer:
            return "the transfer did not start";
        case t::kNoSuchFile:
            return "the terminal no longer has the file";
        case t::kNoAnswer:
            return "the terminal did not answer the request for its file";
        case t::kTimedOut:
            return "the terminal stopped sending" + After(bytes);
        case t::kLineLost:
            return "the terminal hung up" + After(bytes);
        case t::kProtocolFailure:
            return "too many errors on the line" + After(bytes);
        case t::kSizeWrong:
            return "the file ended early" + After(bytes);
        case t::kLocalFileError:
            return "the file could not be written";
        case t::kCancelled:
            return "the transfer was cancelled";
        case t::kBadArgument:
            return "the terminal library refused the request as malformed";
        case t::kDiskFull:
            return "the disk is full";
        case t::kReadOnlyFolder:
            return "the folder is read-only";
        case t::kFolderNotAllowed:
            return "you may not write to the folder";
        case t::kPathTooLong:
            return "the path is too long";
        case t::kPathInTheWay:
            return "a folder or a read-only file is in the way of the file";
        case t::kChangedDuringCopy:
            return "the terminal's file changed while it was copied, twice";
        case t::kNotConfirmed:
            return "the terminal did not answer when asked to confirm the copy";
        default:
            return "library status " + std::to_string(status) + After(bytes);
    }
}

}  // namespace bayhaul
