#include "press/port_session.h"

#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#include "link/tether_codes.h"
#include "link/tether_result_text.h"
#include "ports/port_holder.h"

namespace bayhaul {

namespace {

// The size of a regular file, or nothing when there is none at `path`.
std::optional<std::uintmax_t> RegularFileSize(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    return size;
}

// Removes a file; a folder or anything else at `path` stays.
void RemoveFileQuietly(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored))) {
        std::filesystem::remove(path, ignored);
    }
}

// What a delete on the terminal that gave `result` adds to the port's line.
FailureWords DeleteWords(std::int16_t result) {
    namespace r = tether::result;
    switch (result) {
        case r::kOk:
            return {"; deleted on the terminal"};
        case r::kFileChanged:
            return {"; the terminal's file changed during the copy and was kept"};
        case r::kNoSuchFile:
            return {"; the terminal's file was gone before it could be deleted"};
        default: {
            const FailureWords failure = RequestFailure(result);
            return {"; deleting it on the terminal failed: " + failure.words, failure.cause};
        }
    }
}

}  // namespace

PortProbe ProbePort(const TetherFunctions& functions, std::int16_t port) {
    TerminalSession session(functions);
    const OpenStatus status = session.Connect(port).status;
    if (status == OpenStatus::Connected) return PortProbe::Terminal;
    if (status == OpenStatus::PortBusy) return PortProbe::Busy;
    return PortProbe::NoTerminal;
}

bool PortSession::Run() {
    if (host_.Stopping()) return false;
    host_.Stage(PortStage::Connecting);
    const OpenResult opened = session_.Connect(port_);
    switch (opened.status) {
        case OpenStatus::NoHandle:
            host_.Report(PortOutcome::NoTerminal, "the terminal library gave no handle", "", false,
                         FailureCause::Library);
            return false;
        case OpenStatus::NotConnected:
            host_.Report(PortOutcome::NoTerminal, "no terminal answered", "", false, FailureCause::None);
            return false;
        case OpenStatus::PortBusy:
        case OpenStatus::Noisy: {
            // A terminal may be there, and its file was not saved.
            const std::string holder = PortHolder(port_);
            const FailureWords failure = RequestFailure(opened.code);
            const std::string why = failure.words + (holder.empty() ? "" : ": " + holder);
            host_.Report(PortOutcome::NotSaved, why, why, false, failure.cause);
            return false;
        }
        case OpenStatus::PortFailed: {
            const FailureWords why = RequestFailure(opened.code);
            host_.Report(PortOutcome::NoTerminal, why.words, "", false, why.cause);
            return false;
        }
        case OpenStatus::Connected:
            break;
    }
    if (!TerminalHasFile()) return false;

    const std::optional<std::string> saved = Fetch();
    if (!saved) return false;
    const AfterCopy after = AfterSaving();
    host_.Report(PortOutcome::Saved, *saved + after.words, "", after.warning, after.cause, after.deleted, after.clock);
    return true;
}

bool PortSession::TerminalHasFile() {
    host_.Stage(PortStage::Asking);
    const FileQuery first = session_.QueryFile(kTerminalDataFile);
    if (first.answer == FileAnswer::Ready) return true;
    // Asked once more on a fresh link at the other setting.
    host_.Stage(PortStage::Connecting);
    const OpenResult reopened = session_.Reopen(port_);
    if (host_.Check1Ticked()) SetClock();
    host_.Stage(PortStage::Asking);
    const FileQuery second = session_.QueryFile(kTerminalDataFile);
    if (second.answer == FileAnswer::Ready) return true;

    // A terminal that said it has no such file has none; a question that
    // did not get through either time leaves its file unsaved.
    const std::string noFile = std::string("the terminal has no ") + kTerminalDataFile;
    if (!session_.OurCodes()) {
        host_.Report(PortOutcome::NoFile, noFile + " (library result " + std::to_string(first.code) + ")", "", false,
                     FailureCause::None);
    } else if (first.answer == FileAnswer::Absent || second.answer == FileAnswer::Absent) {
        host_.Report(PortOutcome::NoFile, noFile, "", false, FailureCause::None);
    } else {
        // The first question was asked on the link that answered; the second
        // fails at once when the terminal does not speak at the other setting.
        const FileQuery& told = reopened.status == OpenStatus::Connected ? second : first;
        const FailureWords failure = RequestFailure(told.code);
        NotSaved({std::string("asking the terminal for ") + kTerminalDataFile + " failed: " + failure.words,
                  failure.cause});
    }
    return false;
}

std::optional<std::string> PortSession::Fetch() {
    FailureWords why;
    const std::string part = host_.PartPath(why);
    if (part.empty()) {
        NotSaved(why);
        return std::nullopt;
    }
    host_.Stage(PortStage::Receiving);
    std::string givenUp;
    const TransferEnd end =
        session_.Transfer(part, kTerminalDataFile, [&](std::int16_t status, const TransferProgress& progress) {
            constexpr std::int16_t kGivenUp = 10;  // any status of 2 or more ends the wait
            return host_.KeepWaiting(progress, givenUp) ? status : kGivenUp;
        });

    const std::optional<std::uintmax_t> size = RegularFileSize(part);
    why = WhyNotReceived(end, size, givenUp);
    std::optional<std::string> saved;
    if (why.words.empty()) saved = host_.PutInPlace(part, *size, why);
    if (!saved) {
        session_.CloseLink();  // a library still writing stops before its file is removed
        RemoveFileQuietly(part);
        NotSaved(why);
    }
    return saved;
}

FailureWords PortSession::WhyNotReceived(const TransferEnd& end, const std::optional<std::uintmax_t>& size,
                                         const std::string& givenUp) const {
    const TransferProgress& got = end.progress;
    if (host_.Stopping()) return {"the program was closed before the file arrived", FailureCause::Stopped};
    if (!givenUp.empty()) return {"transfer given up: " + givenUp, FailureCause::Terminal};
    const std::string bytes = got.bytesTotal > 0 ? host_.NumberText(got.bytesReceived) + " of " +
                                                       host_.NumberText(got.bytesTotal) + " bytes"
                                                 : std::string();
    if (!end.finished) {
        return session_.OurCodes() && end.status > tether_contract::kTransferDone
                   ? TransferFailure(end.status, "")
                   : FailureWords{"the transfer did not start", FailureCause::Terminal};
    }
    if (end.status != tether_contract::kTransferDone || !size) {
        if (session_.OurCodes() && end.status > tether_contract::kTransferDone) return TransferFailure(end.status, bytes);
        return {"transfer failed (library status " + std::to_string(end.status) + (bytes.empty() ? "" : ", " + bytes) +
                    ")",
                FailureCause::Terminal};
    }
    // A size past what the library's 32-bit outputs can tell is not compared
    // with them: our library checked the copy whole against the terminal's
    // own size and SHA-256; from another library, such a file cannot be
    // checked.
    constexpr std::int32_t kMostTheLibraryTells = std::numeric_limits<std::int32_t>::max();
    if (got.bytesTotal == kMostTheLibraryTells && *size >= static_cast<std::uintmax_t>(kMostTheLibraryTells)) {
        if (session_.OurCodes()) return {};
        return {"the file is 2 GiB or larger, more than the terminal library can tell, so the copy cannot be "
                "checked whole"};
    }
    if (got.bytesTotal > 0 && *size != static_cast<std::uintmax_t>(got.bytesTotal)) {
        return {"only " + host_.NumberText(static_cast<long long>(*size)) + " of " + host_.NumberText(got.bytesTotal) +
                    " bytes arrived",
                FailureCause::Terminal};
    }
    return {};
}

PortSession::AfterCopy PortSession::AfterSaving() {
    AfterCopy after;
    // What went as asked is confirmed; anything else makes the line a warning.
    const auto add = [&after](const FailureWords& more, bool asAsked = true) {
        after.words += more.words;
        after.warning = after.warning || !asAsked;
        if (after.cause == FailureCause::None) after.cause = more.cause;
    };
    if (host_.Stopping()) return after;  // nothing is deleted or set after a stop
    // The terminal maker's library gives no results to rely on here: the
    // line says what was asked, and that it is not confirmed.
    constexpr char kAsked[] = "asked (the library tells no result)";
    std::vector<std::string> asked;
    if (host_.Check2Ticked()) {
        host_.Stage(PortStage::Deleting);
        const std::int16_t deleted = session_.DeleteOnTerminal(kTerminalDataFile);
        if (!session_.OurCodes()) {
            after.deleted = kAsked;
            asked.push_back("to delete its file");
        } else {
            const FailureWords words = DeleteWords(deleted);
            add(words, deleted == tether::result::kOk);
            after.deleted = deleted == tether::result::kOk ? "deleted" : words.words.substr(2);
        }
    }
    if (host_.Check1Ticked()) {
        const std::int16_t set = SetClock();
        if (!session_.OurCodes()) {
            after.clock = kAsked;
            asked.push_back("to set its clock");
        } else if (set == tether::result::kOk) {
            add({"; the terminal's clock set"});
            after.clock = "set";
        } else {
            const FailureWords failure = RequestFailure(set);
            add({"; setting the terminal's clock failed: " + failure.words, failure.cause}, false);
            after.clock = "failed: " + failure.words;
        }
    }
    if (asked.size() == 1) add({"; the terminal was asked " + asked[0] + " (its library does not confirm it)"});
    if (asked.size() == 2)
        add({"; the terminal was asked " + asked[0] + " and " + asked[1] + " (its library confirms neither)"});
    return after;
}

std::int16_t PortSession::SetClock() {
    host_.Stage(PortStage::SettingClock);
    std::string stamp = host_.ClockStamp();
    const std::int16_t result = session_.SetTerminalClock(stamp);
    host_.KeepStamp(stamp);
    return result;
}

void PortSession::NotSaved(const FailureWords& why) {
    host_.Report(PortOutcome::NotSaved, "not saved: " + why.words + "; the terminal keeps its data", why.words, false,
                 why.cause);
}

}  // namespace bayhaul
