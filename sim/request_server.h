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
    // Set when the answer is Send ready: the file the file phase sends,
    // and from where.
    std::shared_ptr<tether::ymodem::SendSource> sendSource;
    std::uint64_t sendFrom = 0;
    std::string sendName{};
};

// `text` for a console line: printable ASCII as it is, anything else (and
// the backslash) as \xNN, so a requested name cannot send escape sequences.
std::string Escaped(const std::string& text);

class RequestServer {
public:
    // `version` is the protocol version it answers Identify with and serves.
    RequestServer(const TerminalStorage& storage, std::uint8_t version) : storage_(storage), version_(version) {}

    Reply Serve(const tether::Frame& request);
    // True when `frame` repeats the request served last.
    bool IsRepeat(const tether::Frame& frame) const { return last_ && *last_ == frame; }
    const Reply& LastReply() const { return lastReply_; }

private:
    Reply Execute(const tether::Frame& request);
    // Send ready for the file `name` from byte `from` on.
    Reply Send(const tether::Frame& request, std::uint64_t from, const std::string& name);

    const TerminalStorage& storage_;
    const std::uint8_t version_;
    std::optional<tether::Frame> last_;
    Reply lastReply_;
};

}  // namespace bayhaul::sim
