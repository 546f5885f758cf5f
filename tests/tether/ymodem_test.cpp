#include <gtest/gtest.h>
#include <unistd.h>

#include <future>
#include <string>
#include <thread>

#include "pty_pair.h"
#include "tether/core/ymodem.h"
#include "tether/core/ymodem_receiver.h"
#include "tether/core/ymodem_sender.h"
#include "ymodem_support.h"

namespace bayhaul::tether {
namespace {

using testing::MemorySink;
using testing::PtyPair;
using testing::RandomBytes;
using namespace ymodem;

TEST(YmodemHeader, EncodedHeaderRoundTripsAndLongNamesUseABigBlock) {
    const auto block = EncodeHeaderBlock("FORM.DAT", 1048576);
    ASSERT_EQ(block.size(), 3u + 128 + 2);
    EXPECT_EQ(block[0], kSoh);
    const auto header = ParseHeaderBlock(std::vector<std::uint8_t>(block.begin() + 3, block.end() - 2));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name, "FORM.DAT");
    EXPECT_EQ(header->size, 1048576u);
    EXPECT_EQ(EncodeHeaderBlock(std::string(200, 'n'), 1)[0], kStx);
}

// Both ends of a pseudo-terminal in one process: the sender on the slave
// side in a thread, the receiver on the master side.
struct Link {
    PtyPair pty;
    FdLine slave{dup(pty.slaveFd)};
    LineReader senderSide{slave};
    LineReader receiverSide{*pty.master};
};

ReceiveResult SendAndReceive(Link& link, const std::vector<std::uint8_t>& data, std::uint8_t startChar,
                             MemorySink& sink, SendResult* sent = nullptr) {
    MemorySource source(data);
    auto sender = std::async(std::launch::async, [&] {
        const std::uint8_t start = AwaitStart(link.senderSide, SteadyClock::now() + std::chrono::seconds(5));
        return SendFile(link.senderSide, start, "FORM.DAT", source);
    });
    ReceiveOptions options;
    options.startChar = startChar;
    const ReceiveResult result = ReceiveFile(link.receiverSide, sink, options);
    const SendResult s = sender.get();
    if (sent) *sent = s;
    return result;
}

TEST(YmodemTransfer, OurSenderAndReceiverAgreeInEveryModeOnEdgeSizes) {
    for (std::uint8_t mode : {kCrcMode, kStreamMode, kWindowMode}) {
        for (std::size_t size : {0, 1, 127, 128, 1023, 1024, 1025, 5000}) {
            Link link;
            MemorySink sink;
            const auto data = RandomBytes(size, static_cast<unsigned>(size));
            SendResult sent;
            const ReceiveResult result = SendAndReceive(link, data, mode, sink, &sent);
            EXPECT_EQ(result.outcome, ReceiveOutcome::Complete) << "mode " << mode << " size " << size;
            EXPECT_EQ(sent.outcome, SendOutcome::Sent) << "mode " << mode << " size " << size;
            EXPECT_EQ(sink.announced, size);
            EXPECT_EQ(sink.bytes, data) << "mode " << mode << " size " << size;
        }
    }
}

// Flips one byte of what passes through, once, at a given position.
class CorruptingLine : public ByteLine {
public:
    CorruptingLine(ByteLine& inner, std::size_t at) : inner_(inner), at_(at) {}
    ReadResult Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) override {
        const ReadResult r = inner_.Read(buffer, max, timeoutMs);
        if (r.status == ReadStatus::Data && seen_ <= at_ && at_ < seen_ + r.count) buffer[at_ - seen_] ^= 0x40;
        seen_ += r.count;
        return r;
    }
    bool Write(const std::uint8_t* data, std::size_t size) override { return inner_.Write(data, size); }

private:
    ByteLine& inner_;
    std::size_t at_;
    std::size_t seen_ = 0;
};

TEST(YmodemTransfer, ABadBlockIsResentInAcknowledgedModesButEndsAStream) {
    const auto data = RandomBytes(3000);
    MemorySource source(data);
    for (std::uint8_t mode : {kCrcMode, kWindowMode, kStreamMode}) {
        PtyPair pty;
        FdLine slave(dup(pty.slaveFd));
        CorruptingLine noisy(*pty.master, 133 + 500);  // inside the first data block
        LineReader senderSide(slave);
        LineReader receiverSide(noisy);
        auto sender = std::async(std::launch::async, [&] {
            return SendFile(senderSide, AwaitStart(senderSide, SteadyClock::now() + std::chrono::seconds(5)), "F",
                            source);
        });
        MemorySink sink;
        ReceiveOptions options;
        options.startChar = mode;
        const ReceiveResult result = ReceiveFile(receiverSide, sink, options);
        const SendResult sent = sender.get();
        if (mode != kStreamMode) {
            EXPECT_EQ(result.outcome, ReceiveOutcome::Complete) << mode;
            EXPECT_EQ(sink.bytes, data) << mode;
        } else {
            EXPECT_EQ(result.outcome, ReceiveOutcome::StreamError);
            EXPECT_EQ(sent.outcome, SendOutcome::Cancelled);
        }
    }
}

TEST(YmodemReceiver, EndsAfterTheIdleLimitWhenNothingArrives) {
    Link link;
    MemorySink sink;
    ReceiveOptions options;
    options.startChar = kCrcMode;
    options.idleLimit = milliseconds(300);
    const auto started = SteadyClock::now();
    EXPECT_EQ(ReceiveFile(link.receiverSide, sink, options).outcome, ReceiveOutcome::TimedOut);
    EXPECT_LT(SteadyClock::now() - started, std::chrono::seconds(3));
}

// A hand-written sender: block 0 announcing `announced` bytes, then the
// given data blocks, then the EOTs, ignoring every answer.
void SendScripted(LineReader& line, std::uint64_t announced, const std::vector<std::uint8_t>& data, int eots) {
    AwaitStart(line, SteadyClock::now() + std::chrono::seconds(5));
    line.Write(EncodeHeaderBlock("F", announced));
    AwaitStart(line, SteadyClock::now() + std::chrono::seconds(5));
    std::uint8_t number = 1;
    for (std::size_t at = 0; at < data.size(); at += 1024) {
        line.Write(EncodeBlock(number++, data.data() + at, data.size() - at, 1024));
    }
    for (int i = 0; i < eots; ++i) line.WriteByte(kEot);
}

TEST(YmodemReceiver, AcceptsASingleEotEndingOnceTheAnnouncedSizeArrived) {
    Link link;
    const auto data = RandomBytes(1500);
    std::thread sender([&] { SendScripted(link.senderSide, data.size(), data, 1); });
    MemorySink sink;
    const ReceiveResult result = ReceiveFile(link.receiverSide, sink, ReceiveOptions{});
    sender.join();
    EXPECT_EQ(result.outcome, ReceiveOutcome::Complete);
    EXPECT_EQ(sink.bytes, data);
}

TEST(YmodemReceiver, AFileShorterThanAnnouncedIsASizeMismatch) {
    Link link;
    const auto data = RandomBytes(1024);
    std::thread sender([&] { SendScripted(link.senderSide, 5000, data, 2); });
    MemorySink sink;
    EXPECT_EQ(ReceiveFile(link.receiverSide, sink, ReceiveOptions{}).outcome, ReceiveOutcome::SizeMismatch);
    sender.join();
}

TEST(YmodemReceiver, OwnCancelStopsTheWaitAndTellsTheSender) {
    Link link;
    std::atomic<bool> cancel{false};
    LineReader cancellable(*link.pty.master, &cancel);
    std::thread canceller([&] {
        std::this_thread::sleep_for(milliseconds(200));
        cancel = true;
    });
    MemorySink sink;
    EXPECT_EQ(ReceiveFile(cancellable, sink, ReceiveOptions{}).outcome, ReceiveOutcome::Cancelled);
    canceller.join();
    // The sender side sees the start character, then CAN CAN.
    EXPECT_EQ(AwaitStart(link.senderSide, SteadyClock::now() + milliseconds(500)), kStreamMode);
    EXPECT_EQ(AwaitStart(link.senderSide, SteadyClock::now() + milliseconds(500)), kCan);
}

}  // namespace
}  // namespace bayhaul::tether
