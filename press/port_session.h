// One port's turn in a pass of the press: connect (re-opening with "9"),
// ask for the data file, copy it into a file of its own, have the press put
// it in place under its name, then delete it on the terminal and set the
// terminal's clock as the boxes say, and close.
//
// It runs in a worker process of its own, which holds the port's copy of the
// library, and asks its host, the press, for everything the press decides:
// the boxes, the clock stamp, names, and where the report goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "press/download_result.h"
#include "link/terminal_session.h"
#include "link/tether_result_text.h"

namespace bayhaul {

// The steps of a port's session, which the press shows and times.
enum class PortStage { Connecting = 1, Asking, Receiving, Deleting, SettingClock };

// Whether a terminal answers on a port, as a watch's probe finds it.
enum class PortProbe { Terminal = 1, NoTerminal, Busy };

// Connects to `port` and tells whether a terminal answered; a port another
// program holds is Busy.
PortProbe ProbePort(const TetherFunctions& functions, std::int16_t port);

class PortHost {
public:
    virtual ~PortHost() = default;

    // A step of the session starts: the calls of the library it makes follow.
    virtual void Stage(PortStage stage) = 0;

    // The boxes, as they are at this moment.
    virtual bool Check1Ticked() = 0;  // set the terminal's clock
    virtual bool Check2Ticked() = 0;  // delete the file on the terminal

    // The stamp of this moment to set the terminal's clock from (SetDate).
    // What the library leaves in the buffer is handed back with KeepStamp.
    virtual std::string ClockStamp() = 0;
    virtual void KeepStamp(const std::string& stamp) = 0;

    // Where the file goes while it arrives; "" when it cannot arrive
    // anywhere, with `why` saying so.
    virtual std::string PartPath(FailureWords& why) = 0;
    // Once per poll of a running transfer: true while it may go on; false,
    // with `givenUp` saying why when the press did not stop, to give it up.
    virtual bool KeepWaiting(const TransferProgress& progress, std::string& givenUp) = 0;
    // The complete file of `size` bytes at `part` goes in place under the
    // name that is its turn; the report's words ("saved ... (N bytes)"),
    // or nothing with `why` saying why it could not be saved.
    virtual std::optional<std::string> PutInPlace(const std::string& part, std::uintmax_t size, FailureWords& why) = 0;

    // The press is stopping: no further step starts.
    virtual bool Stopping() = 0;
    // A whole number as the user's locale writes it, e.g. "12,345".
    virtual std::string NumberText(long long value) = 0;
    // How the port ended, without its "COMn: " and without the advice for
    // `cause`, which the press adds; for a saved file, what became of it on
    // the terminal: `deleted` "deleted" or why not, `clock` "set" or why
    // not, each "" when the box did not ask for it.
    virtual void Report(PortOutcome outcome, const std::string& text, const std::string& why, bool warning,
                        FailureCause cause, const std::string& deleted = "", const std::string& clock = "") = 0;
};

class PortSession {
public:
    PortSession(const TetherFunctions& functions, std::int16_t port, PortHost& host)
        : session_(functions), port_(port), host_(host) {}

    // The whole turn; how it ended goes to the host's Report. True when a
    // file was saved.
    bool Run();

private:
    // Whether the connected terminal has its data file, asking once more on
    // a fresh link at the other setting; reports the port when it has not.
    bool TerminalHasFile();
    // Fetches the file and has it put in place; the report's words.
    std::optional<std::string> Fetch();
    // Why a transfer that ended so, leaving a file of `size` bytes (none
    // when nothing), did not bring the whole file; "" when it did.
    FailureWords WhyNotReceived(const TransferEnd& end, const std::optional<std::uintmax_t>& size,
                                const std::string& givenUp) const;
    // What a saved file's line adds: the delete and the clock confirmed
    // ("; deleted on the terminal"), or what did not go as asked, with the
    // cause of the first such.
    // For the history, what became of each: `deleted` "deleted" or why
    // not, `clock` "set" or why not, each "" when the box did not ask.
    struct AfterCopy : FailureWords {
        bool warning = false;  // something did not go as asked
        std::string deleted, clock;
    };
    // Deletes the file on the terminal and sets its clock, as the boxes
    // ask. The terminal maker's library gives no results to confirm.
    AfterCopy AfterSaving();
    // Sets the terminal's clock to this moment; what Tether_ESC_M gave.
    std::int16_t SetClock();
    void NotSaved(const FailureWords& why);

    TerminalSession session_;
    const std::int16_t port_;
    PortHost& host_;
};

}  // namespace bayhaul
