#include "link/terminal_session.h"

#include "link/tether_codes.h"

#include <cstring>
#include <limits>
#include <vector>

namespace bayhaul {

namespace {

using tether_contract::kLetterCode;

// Transfer mode and reserved value of Tether_UpLoad.
constexpr std::int16_t kUpLoadReserved = 0;
constexpr std::int16_t kUpLoadMode = 3;

// Tether_StLoad selectors: poll a running copy; once after the copy.
constexpr std::int16_t kPollRunning = 0;
constexpr std::int16_t kAfterCopy = 1;

// A NUL-terminated buffer of exactly the text's length plus the terminator,
// which the library may overwrite.
std::vector<char> WritableBuffer(std::string_view text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    return buffer;
}

// The text the library left in `buffer`, never read past its end even
// when the terminator was overwritten.
std::string TextOf(const std::vector<char>& buffer) {
    const void* end = std::memchr(buffer.data(), '\0', buffer.size());
    const std::size_t length = end ? static_cast<const char*>(end) - buffer.data() : buffer.size();
    return std::string(buffer.data(), length);
}

}  // namespace

TerminalSession::TerminalSession(const TetherFunctions& functions)
    : functions_(functions),
      ourCodes_(functions.Tether_Features && (functions.Tether_Features() & tether::feature::kOurCodes)) {}

TerminalSession::~TerminalSession() {
    CloseLink();
}

OpenResult TerminalSession::OpenLink(std::int16_t comPort, LinkSetting setting) {
    CloseLink();
    if (ended_) return {OpenStatus::NoHandle};

    handle_ = functions_.Tether_Create();
    currentLink_ = handle_;
    if (handle_ == 0) {
        ended_ = true;
        return {OpenStatus::NoHandle};
    }
    functions_.Tether_SetupEx(handle_, comPort, static_cast<std::uint8_t>(setting), '1', 'N');
    const std::int16_t connected = functions_.Tether_Connect(handle_);
    OpenStatus status = OpenStatus::NotConnected;
    if (connected == tether_contract::kConnected)
        status = OpenStatus::Connected;
    else if (ourCodes_ && connected == tether::result::kPortBusy)
        status = OpenStatus::PortBusy;
    else if (ourCodes_ && connected == tether::result::kLineNoisy)
        status = OpenStatus::Noisy;
    else if (ourCodes_ && connected < 0)
        status = OpenStatus::PortFailed;
    return {status, connected};
}

OpenResult TerminalSession::Reopen(std::int16_t comPort) {
    return OpenLink(comPort, LinkSetting::Nine);  // which closes the open link first
}

OpenResult TerminalSession::Connect(std::int16_t comPort) {
    const OpenResult first = OpenLink(comPort, LinkSetting::Eight);
    if (first.status != OpenStatus::NotConnected && first.status != OpenStatus::Noisy) return first;
    const OpenResult second = Reopen(comPort);
    // What was heard at the first setting counts when the second hears nothing.
    return second.status == OpenStatus::NotConnected && first.status == OpenStatus::Noisy ? first : second;
}

void TerminalSession::CloseLink() {
    if (!HasLink()) return;
    functions_.Tether_Disconnect(handle_);
    functions_.Tether_Destroy(handle_);
    handle_ = 0;  // CurrentLink keeps the released value
}

FileQuery TerminalSession::QueryFile(std::string_view terminalFile) {
    if (!HasLink()) return {FileAnswer::Failed, tether::result::kNotConnected};
    if (terminalFile.size() > std::numeric_limits<std::uint8_t>::max())
        return {FileAnswer::Failed, tether::result::kBadArgument};
    // Set afresh for every query: the library may change both.
    std::vector<char> name = WritableBuffer(terminalFile);
    std::uint8_t length = static_cast<std::uint8_t>(terminalFile.size());
    const std::int16_t result = functions_.Tether_ESC_J(handle_, kLetterCode, name.data(), &length);
    if (result == tether_contract::kFileHasData || result == tether_contract::kFileEmpty)
        return {FileAnswer::Ready, result};
    const bool failed = ourCodes_ && result != tether::result::kNoSuchFile;
    return {failed ? FileAnswer::Failed : FileAnswer::Absent, result};
}

TransferEnd TerminalSession::Transfer(const std::string& localPath, std::string_view terminalFile,
                                      const PollStep& pollStep) {
    TransferEnd end;
    if (!HasLink()) return end;
    progress_ = {};
    std::vector<char> path = WritableBuffer(localPath);
    const std::string file(terminalFile);
    const std::int16_t result =
        functions_.Tether_UpLoad(handle_, kLetterCode, path.data(), file.c_str(), kUpLoadReserved, kUpLoadMode);
    if (result == 0) {
        // Our library tells why it started nothing.
        if (ourCodes_) end.status = Status(kAfterCopy);
        return end;
    }
    // Below 0 the copy counts as finished at once, without polling.
    if (result > 0) AwaitTransfer(pollStep);
    // Closed while waiting: how the copy ended is unknown, so it does not count.
    if (!HasLink()) return end;
    end.status = Status(kAfterCopy);
    end.finished = true;
    end.progress = progress_;
    return end;
}

void TerminalSession::AwaitTransfer(const PollStep& pollStep) {
    std::int16_t status = 0;
    do {
        status = Status(kPollRunning);
        if (pollStep) status = pollStep(status, progress_);
    } while (status < tether_contract::kTransferDone && HasLink());
}

std::int16_t TerminalSession::Status(std::int16_t selector) {
    return functions_.Tether_StLoad(handle_, selector, &progress_.bytesReceived, &progress_.bytesTotal);
}

std::int16_t TerminalSession::DeleteOnTerminal(std::string_view terminalFile) {
    if (!HasLink()) return tether::result::kNotConnected;
    const std::string file(terminalFile);
    return functions_.Tether_ESC_E(handle_, kLetterCode, file.c_str(), static_cast<std::int16_t>(file.size()));
}

std::int16_t TerminalSession::SetTerminalClock(std::string& stamp) {
    if (!HasLink()) return tether::result::kNotConnected;
    std::vector<char> buffer = WritableBuffer(stamp);
    const std::int16_t result = functions_.Tether_ESC_M(handle_, kLetterCode, buffer.data());
    stamp = TextOf(buffer);
    return result;
}

}  // namespace bayhaul
