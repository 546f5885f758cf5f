// Answers the request-phase frames of the link protocol from the storage.
// A repeated request (same sequence number, type and payload) gets the
// remembered answer again and is not acted on twice; Identify is always
// served afresh and clears that memory.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/terminal_storage.h"
#include "tether/core/frame.h"

namespace bayhaul::sim {

struct Reply {
    tether::Frame answer;
    std::string log;  // one line for the simulator's output
    // Set when the answer is Send ready: the file the file phase sends.
    std::shared_ptr<tether::ymodem::SendSource> sendSource;
};

// `text` for a console line: printable ASCII as it is, anything else (and
// the backslash) as \xNN, so a requested name cannot send escape sequences.
std::string Escaped(const std::string& text);

class RequestServer {
public:
    explicit RequestServer(const TerminalStorage& storage) : storage_(storage) {}

    Reply Serve(const tether::Frame& request);
    // True when `frame` repeats the request served last.
    bool IsRepeat(const tether::Frame& frame) const { return last_ && *last_ == frame; }
    const Reply& LastReply() const { return lastReply_; }

private:
    Reply Execute(const tether::Frame& request);

    const TerminalStorage& storage_;
    std::optional<tether::Frame> last_;
    Reply lastReply_;
};

}  // namespace bayhaul::sim
