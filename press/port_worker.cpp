#include "press/port_worker.h"

#include <thread>

#include "press/port_session.h"
#include "press/worker_protocol.h"

namespace bayhaul {

namespace {

using worker::Message;
using worker::Type;

std::string Number(long long value) {
    return std::to_string(value);
}

// The press, as a port's session sees it from the worker.
class RemoteHost final : public PortHost {
public:
    explicit RemoteHost(WorkerChannel& channel) : channel_(channel) {}

    void Stage(PortStage stage) override {
        Send({Type::Stage, {Number(static_cast<int>(stage))}});
        if (stage == PortStage::Receiving) lastTold_ = std::chrono::steady_clock::now();
    }
    bool Check1Ticked() override { return Ask({Type::AskBoxes, {}}, Type::Boxes).Number(0) != 0; }
    bool Check2Ticked() override { return Ask({Type::AskBoxes, {}}, Type::Boxes).Number(1) != 0; }
    std::string ClockStamp() override { return Ask({Type::AskStamp, {}}, Type::Text).Field(0); }
    void KeepStamp(const std::string& stamp) override { Send({Type::KeepStamp, {stamp}}); }
    std::string PartPath(FailureWords& why) override {
        const Message answer = Ask({Type::AskPartPath, {}}, Type::PartPath);
        why = {answer.Field(1), worker::CauseIn(answer, 2)};
        if (answer.Field(0).empty() && why.words.empty()) why = {"the press stopped", FailureCause::Stopped};
        return answer.Field(0);
    }
    bool KeepWaiting(const TransferProgress& progress, std::string& givenUp) override {
        const auto now = std::chrono::steady_clock::now();
        const bool moved = progress.bytesReceived != last_.bytesReceived || progress.bytesTotal != last_.bytesTotal;
        if ((moved && now - lastTold_ >= kWorkerPoll * 4) || now - lastTold_ >= kWorkerHeartbeat) {
            Send({Type::Progress, {Number(progress.bytesReceived), Number(progress.bytesTotal)}});
            last_ = progress;
            lastTold_ = now;
        }
        std::this_thread::sleep_for(kWorkerPoll);
        if (Stopping()) return false;
        if (!givenUp_.empty()) {
            givenUp = givenUp_;
            return false;
        }
        return true;
    }
    std::optional<std::string> PutInPlace(const std::string& part, std::uintmax_t size, FailureWords& why) override {
        Send({Type::Progress, {Number(static_cast<long long>(size)), Number(last_.bytesTotal)}});
        const Message answer =
            Ask({Type::FileReceived, {part, Number(static_cast<long long>(size))}}, Type::InPlace);
        if (answer.Number(2) == 0) stopping_ = true;  // in place or not, nothing more is done on the terminal
        if (answer.Number(0) != 0) return answer.Field(1);
        why = answer.Field(1).empty()
                  ? FailureWords{"the press stopped before the file could be saved", FailureCause::Stopped}
                  : FailureWords{answer.Field(1), worker::CauseIn(answer, 3)};
        return std::nullopt;
    }
    bool Stopping() override {
        while (!stopping_ && channel_.HasInput()) Take();
        return stopping_;
    }
    std::string NumberText(long long value) override {
        const Message answer = Ask({Type::AskNumber, {Number(value)}}, Type::Text);
        return answer.fields.empty() ? Number(value) : answer.Field(0);
    }
    void Report(PortOutcome outcome, const std::string& text, const std::string& why, bool warning,
                FailureCause cause, const std::string& deleted, const std::string& clock) override {
        Send({Type::Result, {Number(static_cast<int>(outcome)), text, why, warning ? "1" : "0", deleted, clock,
                             Number(static_cast<int>(cause))}});
    }

private:
    void Send(const Message& message) {
        if (!channel_.Send(worker::Encode(message))) stopping_ = true;
    }

    // Sends a question and waits for its answer; an empty answer of that
    // type when the press went away, said something malformed, or stopped.
    // A file received is always answered, stop or not: the press saves a
    // whole file even while it stops, and says so.
    Message Ask(const Message& question, Type answerType) {
        Send(question);
        for (;;) {
            if (stopping_ && answerType != Type::InPlace) break;
            std::optional<Message> message = Take();
            if (!message) break;
            if (message->type == answerType) return *message;
        }
        return {answerType, {}};
    }

    // The next message from the press; a Stop, the press's end or anything
    // malformed stops the session, and the last two give nothing.
    std::optional<Message> Take() {
        for (;;) {
            if (std::optional<Message> message = decoder_.Next()) {
                if (message->type == Type::Stop) stopping_ = true;
                if (message->type == Type::GiveUp) givenUp_ = message->Field(0);
                return message;
            }
            char buffer[4096];
            const std::size_t got = decoder_.Failed() ? 0 : channel_.Receive(buffer, sizeof buffer);
            if (got == 0) {
                stopping_ = true;
                return std::nullopt;
            }
            decoder_.Feed(buffer, got);
        }
    }

    WorkerChannel& channel_;
    worker::Decoder decoder_;
    bool stopping_ = false;
    std::string givenUp_;  // why the press gave the transfer up
    TransferProgress last_;
    std::chrono::steady_clock::time_point lastTold_{};
};

}  // namespace

std::vector<std::string> WorkerArguments(const WorkerOrder& order) {
    std::vector<std::string> arguments{order.probe ? "--probe" : "--port", std::to_string(order.port)};
    if (!order.libraryFile.empty()) {
        arguments.push_back("--library");
        arguments.push_back(order.libraryFile);
    }
    return arguments;
}

std::optional<WorkerOrder> ParseWorkerArguments(const std::vector<std::string>& arguments) {
    WorkerOrder order;
    for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        const std::string& value = arguments[i + 1];
        if (name == "--port" || name == "--probe") {
            order.probe = name == "--probe";
            try {
                const int port = std::stoi(value);
                if (port < 1 || port > 32767 || std::to_string(port) != value) return std::nullopt;
                order.port = static_cast<std::int16_t>(port);
            } catch (const std::exception&) {
                return std::nullopt;
            }
        } else if (name == "--library") {
            order.libraryFile = value;
        } else {
            return std::nullopt;
        }
    }
    if (arguments.size() % 2 != 0 || order.port == 0) return std::nullopt;
    return order;
}

int RunPortWorker(WorkerChannel& channel, TetherSource& library, const WorkerOrder& order) {
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    if (functions == nullptr) {
        channel.Send(worker::Encode({Type::LoadFailed, {error.Message()}}));
        return 2;
    }
    if (order.probe) {
        const PortProbe probe = ProbePort(*functions, order.port);
        channel.Send(worker::Encode({Type::Probed, {Number(static_cast<int>(probe))}}));
        return 0;
    }
    RemoteHost host(channel);
    PortSession(*functions, order.port, host).Run();
    return 0;
}

}  // namespace bayhaul
