// One terminal's conversation over the link library: open a link on a COM
// port, ask for a file, copy it, delete it, set the clock, close.
//
// A session object serves one terminal and one handle at a time. Every
// operation goes to the library only while a link is open, so no call is
// ever made with a 0 handle or with a handle already released, and the
// destructor closes a link still open: a session ends with CloseLink on
// every path.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/tether_functions.h"

namespace bayhaul {

// The data file every terminal keeps.
inline constexpr char kTerminalDataFile[] = "FORM.DAT";

// First character of the link setting given to Tether_SetupEx.
enum class LinkSetting : char { Eight = '8', Nine = '9' };

enum class OpenStatus {
    Connected,     // the terminal answered
    NotConnected,  // a link is open but the terminal did not answer
    PortBusy,      // another program has the port; no terminal was asked (our library only)
    PortFailed,    // the port could not be used, `code` says why (our library only)
    Noisy,         // bytes arrived, but no terminal could be understood (our library only)
    NoHandle,      // the library gave no handle: the session has ended
};

struct OpenResult {
    OpenStatus status;
    std::int16_t code = 0;  // what Tether_Connect gave
};

// What the terminal said of a file it was asked for.
enum class FileAnswer {
    Ready,   // it holds the file, ready to fetch
    Absent,  // it has no such file
    Failed,  // the question did not get through: `code` says why (our library only)
};

struct FileQuery {
    FileAnswer answer;
    std::int16_t code;  // what Tether_ESC_J gave
};

// The two outputs of Tether_StLoad. A library may leave them alone; ours
// fills in the bytes received so far and the size the terminal announced
// (0 until known).
struct TransferProgress {
    std::int32_t bytesReceived = 0;
    std::int32_t bytesTotal = 0;
};

// How a transfer ended.
struct TransferEnd {
    // The library took the copy as finished: Tether_UpLoad was not 0 and
    // the wait ended with the link still open. Whether a complete file is
    // on disk is for the caller to check.
    bool finished = false;
    // What the closing Tether_StLoad call (selector 1) gave; for a copy our
    // library did not start, why not; otherwise 0.
    std::int16_t status = 0;
    TransferProgress progress;  // its outputs
};

class TerminalSession {
public:
    // Given a status from Tether_StLoad and its outputs, returns the status
    // or a replacement; a result of 2 or more ends the wait for a transfer.
    using PollStep = std::function<std::int16_t(std::int16_t status, const TransferProgress& progress)>;

    // Over the functions of a loaded library. Each session has a handle of
    // its own; sessions run side by side only over a library that allows
    // it (tether::feature::kConcurrentSessions).
    explicit TerminalSession(const TetherFunctions& functions);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Creates a handle, sets the port up with `setting`, "1", "N" and
    // connects. A link already open is closed first. A 0 handle ends the
    // session: no further call is made for this terminal.
    OpenResult OpenLink(std::int16_t comPort, LinkSetting setting);

    // CloseLink, then OpenLink on `comPort` with setting "9".
    OpenResult Reopen(std::int16_t comPort);

    // OpenLink with setting "8"; a link that opens but does not connect is
    // re-opened with "9". Noisy means something was heard at "8" and no
    // terminal at "9"; NotConnected means neither setting connected; the
    // link is still open until CloseLink or the end of the session. A port
    // our library could not use at all is not tried again with "9", which
    // would open the same device.
    OpenResult Connect(std::int16_t comPort);

    // Disconnects and releases the open link; nothing when none is open.
    void CloseLink();

    bool HasLink() const { return handle_ != 0; }

    // Whether the loaded library is ours: its results mean what
    // tether_codes.h says.
    bool OurCodes() const { return ourCodes_; }
    // The handle of the open link, or the last one released; 0 before any.
    LinkHandle CurrentLink() const { return currentLink_; }

    // Asks the terminal for `terminalFile`. From a library that is not ours
    // every answer but "ready" is taken as Absent, as there is no telling.
    FileQuery QueryFile(std::string_view terminalFile);

    // Copies `terminalFile` from the terminal to `localPath`, running
    // `pollStep` once per poll while the copy runs, then calls Tether_StLoad
    // once with selector 1. The poll outputs start at 0 for every transfer.
    TransferEnd Transfer(const std::string& localPath, std::string_view terminalFile, const PollStep& pollStep);

    // Deletes `terminalFile` on the terminal; what Tether_ESC_E gave, or
    // kNotConnected when no link is open.
    std::int16_t DeleteOnTerminal(std::string_view terminalFile);

    // Sets the terminal's clock from `stamp` and stores back into it what
    // the library left in the buffer; what Tether_ESC_M gave, or
    // kNotConnected when no link is open.
    std::int16_t SetTerminalClock(std::string& stamp);

private:
    void AwaitTransfer(const PollStep& pollStep);
    std::int16_t Status(std::int16_t selector);

    const TetherFunctions& functions_;
    const bool ourCodes_;
    LinkHandle handle_ = 0;       // the open link; 0 when none is open
    LinkHandle currentLink_ = 0;  // the last handle the library gave
    bool ended_ = false;          // a 0 handle ended the session
    TransferProgress progress_;  // the outputs of every Tether_StLoad call
};

}  // namespace bayhaul
