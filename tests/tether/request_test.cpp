// Requests and answers: the PC's retransmission and sequence checks, and
// the terminal's handling of repeated requests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "pty_pair.h"
#include "sim/request_server.h"
#include "support/temp_dir.h"
#include "tether/core/link_messages.h"
#include "tether/core/request_exchange.h"

namespace bayhaul::tether {
namespace {

using namespace testing;

// Reads the next whole frame arriving on `reader` (bounded).
std::optional<Frame> NextFrame(LineReader& reader) {
    FrameScanner scanner;
    const auto deadline = SteadyClock::now() + std::chrono::seconds(2);
    std::uint8_t byte = 0;
    while (reader.Next(byte, deadline) == Wait::Byte) {
        scanner.Feed(byte);
        if (auto frame = scanner.Take()) return frame;
    }
    return std::nullopt;
}

TEST(RequestExchange, IgnoresStaleAnswersAndRetransmitsUntilTheRightOneComes) {
    PtyPair pty;
    FdLine terminalSide(dup(pty.slaveFd));
    LineReader terminal(terminalSide);
    LineReader pc(*pty.master);
    const Frame request{msg::kQueryFile, 9, BytesOf("FORM.DAT")};
    std::thread responder([&] {
        // First try: a late answer to an earlier request and a wrong type only.
        ASSERT_EQ(NextFrame(terminal), request);
        for (const Frame& wrong :
             {Frame{AnswerType(msg::kQueryFile), 8, {1, 0, 0, 0, 5}}, Frame{AnswerType(msg::kDeleteFile), 9, {1}}}) {
            const auto bytes = EncodeFrame(wrong);
            terminal.Write(bytes);
        }
        // The retransmission carries the same number; now the real answer.
        ASSERT_EQ(NextFrame(terminal), request);
        terminal.Write(EncodeFrame(Frame{AnswerType(msg::kQueryFile), 9, {1, 0, 0, 0, 7}}));
    });
    const ExchangeResult result = Exchange(pc, request, RequestPolicy(115200));
    responder.join();
    ASSERT_EQ(result.status, ExchangeStatus::Answered);
    EXPECT_EQ(result.answer.payload, (std::vector<std::uint8_t>{1, 0, 0, 0, 7}));
}

TEST(RequestExchange, GivesUpAfterSilentTriesWithinTheConnectBound) {
    PtyPair pty;
    LineReader pc(*pty.master);
    const auto started = SteadyClock::now();
    const ExchangeResult result = Exchange(pc, Frame{msg::kIdentify, 1, {}}, ConnectPolicy());
    EXPECT_EQ(result.status, ExchangeStatus::NoAnswer);
    EXPECT_FALSE(result.garbled) << "a silent line is not a noisy one";
    EXPECT_LT(SteadyClock::now() - started, std::chrono::milliseconds(600));
}

TEST(RequestServer, ARepeatedRequestIsAnsweredAgainButNotActedOnTwice) {
    TempDir dir;
    WriteFileBytes(dir / "FORM.DAT", {1, 2, 3});
    sim::TerminalStorage storage(dir.Path());
    sim::RequestServer server(storage, msg::kProtocolVersion);
    const Frame remove{msg::kDeleteFile, 4, BytesOf("FORM.DAT")};
    const sim::Reply first = server.Serve(remove);
    EXPECT_EQ(first.answer, (Frame{AnswerType(msg::kDeleteFile), 4, {1}}));
    WriteFileBytes(dir / "FORM.DAT", {9});  // a new file arrives meanwhile
    EXPECT_EQ(server.Serve(remove).answer, first.answer);
    EXPECT_TRUE(std::filesystem::exists(dir / "FORM.DAT")) << "the repeat deleted the new file";

    // A new connection starts with Identify, after which the same number is a new request.
    server.Serve(Frame{msg::kIdentify, 3, {}});
    EXPECT_EQ(server.Serve(remove).answer, first.answer);
    EXPECT_FALSE(std::filesystem::exists(dir / "FORM.DAT"));
}

TEST(RequestServer, RefusesNamesOutsideItsStorageAndUnknownRequests) {
    TempDir dir;
    sim::TerminalStorage storage(dir.Path());
    sim::RequestServer server(storage, msg::kProtocolVersion);
    for (const char* name : {"", "../FORM.DAT", "sub/FORM.DAT", ".hidden"}) {
        const Frame reply = server.Serve(Frame{msg::kSendFile, 1, BytesOf(name)}).answer;
        EXPECT_EQ(reply.type, msg::kRefused) << name;
        EXPECT_EQ(reply.payload, std::vector<std::uint8_t>{static_cast<std::uint8_t>(Refusal::Malformed)}) << name;
    }
    EXPECT_EQ(server.Serve(Frame{msg::kSendFile, 2, BytesOf("FORM.DAT")}).answer.payload,
              std::vector<std::uint8_t>{static_cast<std::uint8_t>(Refusal::NoSuchFile)});
    EXPECT_EQ(server.Serve(Frame{0x33, 3, {}}).answer.payload,
              std::vector<std::uint8_t>{static_cast<std::uint8_t>(Refusal::UnknownRequest)});
}

}  // namespace
}  // namespace bayhaul::tether
