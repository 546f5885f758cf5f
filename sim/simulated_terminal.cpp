#include "sim/simulated_terminal.h"

#include <atomic>
#include <ostream>
#include <random>

#include <sys/socket.h>

#include <memory>

#include "sim/fault_line.h"
#include "sim/line_model.h"
#include "sim/request_server.h"
#include "tether/core/line_reader.h"
#include "tether/core/link_messages.h"
#include "tether/core/ymodem.h"
#include "tether/core/ymodem_sender.h"

namespace bayhaul::sim {

using namespace tether;

namespace {

std::atomic<bool> switchedOn{true};  // its power button

constexpr milliseconds kStartWait{5000};  // for the receiver's 'C' or 'G'
constexpr milliseconds kIdlePoll{500};

const char* SendOutcomeText(ymodem::SendOutcome outcome) {
    switch (outcome) {
        case ymodem::SendOutcome::Sent:
            return "sent";
        case ymodem::SendOutcome::Cancelled:
            return "cancelled by the receiver";
        case ymodem::SendOutcome::NoAnswer:
            return "no answer";
        case ymodem::SendOutcome::LineLost:
            return "line lost";
        case ymodem::SendOutcome::ReadFailed:
            return "the file could not be read";
    }
    return "?";
}

// The simulator's end of its line: one end of a socket pair, whose other end
// the line model joins to the pseudo-terminal.
struct LineEnds {
    int own = -1;
    int model = -1;
    LineEnds() {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0) {
            own = fds[0];
            model = fds[1];
        }
    }
};

LineModelOptions ModelOptions(VirtualPort& port, const SimOptions& options) {
    LineModelOptions model;
    if (options.pace) model.bitsPerSecond = [&port] { return port.LineSpeed(); };
    model.latency = std::chrono::milliseconds(options.latencyMs);
    model.noise = options.noise;
    model.seed = std::random_device{}();
    return model;
}

class Terminal {
public:
    Terminal(VirtualPort& port, const SimOptions& options, std::ostream& log, LineEnds ends = {})
        : port_(port),
          options_(options),
          log_(log),
          storage_(options.dir),
          server_(storage_, static_cast<std::uint8_t>(options.protocol)),
          modelEnd_(ends.model),
          ownEnd_(ends.own),
          model_(ends.model, port.line().fd(), ModelOptions(port, options)),
          line_(ownEnd_, options,
                options.pace ? std::function<std::uint64_t()>([this] { return model_.SentFromA(); }) : nullptr,
                [this] { Say(storage_.Rewrite(sending_) ? "rewritten " + sending_ : "rewrite failed"); }),
          reader_(line_) {}

    // Serves until the line hangs up.
    void Serve() {
        FrameScanner scanner;
        while (!line_.HungUp()) {
            std::uint8_t byte = 0;
            const Wait w = reader_.Next(byte, SteadyClock::now() + kIdlePoll);
            if (w == Wait::Closed) return;
            if (w != Wait::Byte) continue;
            scanner.Feed(byte);
            while (auto frame = scanner.Take()) Handle(*frame);
        }
    }

private:
    void Say(const std::string& line) { log_ << line << std::endl; }

    void Handle(const Frame& request) {
        if (options_.noAnswer || !switchedOn) return;
        const int speed = port_.LineSpeed();
        if (speed != options_.BitsPerSecond()) {
            Say("ignored: line at " + std::to_string(speed) + " bit/s");
            return;
        }
        if (options_.ignoreQueries && request.type == msg::kQueryFile) {
            Say("query ignored");
            return;
        }
        Reply reply = server_.Serve(request);
        Say(reply.log);
        const auto answer = EncodeFrame(reply.answer);
        if (!line_.Write(answer.data(), answer.size())) return;
        if (reply.sendSource) SendPhase(reply);
    }

    // Waits for the start character; a repeated send request is answered
    // again, any other request ends the wait and is served.
    void SendPhase(const Reply& ready) {
        FrameScanner scanner;
        const auto deadline = SteadyClock::now() + kStartWait;
        for (;;) {
            std::uint8_t byte = 0;
            if (reader_.Next(byte, deadline) != Wait::Byte) {
                Say("send: no start from the receiver");
                return;
            }
            if (byte == ymodem::kCrcMode || byte == ymodem::kStreamMode || byte == ymodem::kWindowMode) {
                Send(ready, byte);
                return;
            }
            scanner.Feed(byte);
            if (auto frame = scanner.Take()) {
                if (!server_.IsRepeat(*frame)) return Handle(*frame);
                const auto again = EncodeFrame(server_.LastReply().answer);
                line_.Write(again.data(), again.size());
            }
        }
    }

    void Send(const Reply& ready, std::uint8_t start) {
        sending_ = ready.sendName;
        line_.BeginFilePhase();
        ymodem::SendOptions send;
        send.offset = ready.sendFrom;
        send.afterError = ready.answer.type == AnswerType(msg::kSendFrom);  // a resume follows an error
        send.blocks = options_.blocks;
        send.bitsPerSecond = options_.BitsPerSecond();
        const auto result = ymodem::SendFile(reader_, start, ready.sendName, *ready.sendSource, send);
        line_.EndFilePhase();
        Say(std::string("send ") +
            (start == ymodem::kStreamMode   ? "streamed"
             : start == ymodem::kWindowMode ? "acknowledged in a window"
                                            : "acknowledged") +
            ": " + SendOutcomeText(result.outcome));
    }

    VirtualPort& port_;
    const SimOptions& options_;
    std::ostream& log_;
    TerminalStorage storage_;
    RequestServer server_;
    FdLine modelEnd_;  // closed after the model has stopped
    FdLine ownEnd_;
    LineModel model_;
    FaultLine line_;
    LineReader reader_;
    std::string sending_;  // the name of the file of the running file phase
};

}  // namespace

void SwitchTerminal(bool on) {
    switchedOn = on;
}

int RunTerminal(VirtualPort& port, const SimOptions& options, std::ostream& log) {
    SwitchTerminal(!options.switchedOff);
    for (;;) {
        log << "ready COM" << options.com << " " << port.device() << std::endl;
        Terminal(port, options, log).Serve();
        log << "hang-up" << std::endl;
        std::string error;
        if (!port.Renew(error)) {
            log << "cannot open a new line: " << error << std::endl;
            return 1;
        }
    }
}

}  // namespace bayhaul::sim
