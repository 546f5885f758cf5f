// The PC's side against lines that never fall silent or never stop sending:
// every request, connect and file phase still ends within its bound.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "tether/core/link_messages.h"
#include "tether/core/request_exchange.h"
#include "tether/core/ymodem.h"
#include "tether/core/ymodem_receiver.h"
#include "ymodem_support.h"

namespace bayhaul::tether {
namespace {

using namespace std::chrono_literals;
using namespace testing;

// An in-memory line whose far end is a function: every read gets the next
// bytes it makes, at once, or `pause` after the previous ones. What the PC
// writes is ignored.
class GeneratedLine final : public ByteLine {
public:
    using Source = std::function<std::vector<std::uint8_t>()>;
    explicit GeneratedLine(Source source, milliseconds pause = 0ms) : source_(std::move(source)), pause_(pause) {}

    ReadResult Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) override {
        if (pending_.empty()) {
            const auto waitUntil = std::min(nextAt_, SteadyClock::now() + milliseconds(timeoutMs));
            std::this_thread::sleep_until(waitUntil);
            if (SteadyClock::now() < nextAt_) return {ReadStatus::Timeout, 0};
            pending_ = source_();
            nextAt_ = SteadyClock::now() + pause_;
        }
        const std::size_t count = std::min(max, pending_.size());
        std::copy_n(pending_.begin(), count, buffer);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(count));
        return {ReadStatus::Data, count};
    }
    bool Write(const std::uint8_t*, std::size_t) override { return true; }

private:
    Source source_;
    milliseconds pause_;
    std::vector<std::uint8_t> pending_;
    SteadyClock::time_point nextAt_ = SteadyClock::now();
};

// Well-formed frames that answer nothing the PC asked.
std::vector<std::uint8_t> ForeignFrames() {
    return EncodeFrame(Frame{AnswerType(msg::kQueryFile), 0x42, {1, 0, 0, 0, 9}});
}

// Data blocks with a good header and a bad CRC.
std::vector<std::uint8_t> DamagedBlock() {
    auto block = ymodem::EncodeBlock(1, RandomBytes(128).data(), 128, 128);
    block.back() ^= 0xFF;
    return block;
}

// A sender that announces `size` bytes and then sends numbered 128-byte blocks for ever.
GeneratedLine::Source EndlessSender(std::uint64_t size) {
    auto next = std::make_shared<int>(0);
    return [size, next] {
        const int number = (*next)++;
        if (number == 0) return ymodem::EncodeHeaderBlock("FORM.DAT", size);
        const auto data = RandomBytes(128, static_cast<unsigned>(number));
        return ymodem::EncodeBlock(static_cast<std::uint8_t>(number), data.data(), data.size(), 128);
    };
}

template <typename Run>
milliseconds Took(Run run) {
    const auto started = SteadyClock::now();
    run();
    return std::chrono::duration_cast<milliseconds>(SteadyClock::now() - started);
}

TEST(HostileLine, RequestsAndConnectsEndOnTimeWhileTheLineBabbles) {
    GeneratedLine line(ForeignFrames);
    LineReader reader(line);
    ExchangeResult result;
    const milliseconds request = Took([&] {
        result = Exchange(reader, Frame{msg::kQueryFile, 7, {}}, RequestPolicy(115200));
    });
    EXPECT_EQ(result.status, ExchangeStatus::NoAnswer);
    EXPECT_LT(request, 5 * 144ms + 200ms);
    EXPECT_FALSE(result.garbled) << "whole frames for others are not noise";

    const milliseconds connect = Took([&] {
        result = Exchange(reader, Frame{msg::kIdentify, 8, {}}, ConnectPolicy());
    });
    EXPECT_EQ(result.status, ExchangeStatus::NoAnswer);
    EXPECT_LT(connect, 300ms + 100ms);
}

TEST(HostileLine, AnUnansweredRequestAmidDamagedFramesIsGarbled) {
    // An answer whose CRC the line broke, again and again.
    GeneratedLine line([] {
        auto answer = EncodeFrame(Frame{AnswerType(msg::kIdentify), 8, {3, 'T'}});
        answer.back() ^= 0x01;
        return answer;
    });
    LineReader reader(line);
    const ExchangeResult result = Exchange(reader, Frame{msg::kIdentify, 8, {}}, ConnectPolicy());
    EXPECT_EQ(result.status, ExchangeStatus::NoAnswer);
    EXPECT_TRUE(result.garbled);
}

TEST(HostileLine, DamagedBlocksWithoutAPauseEndAnAcknowledgedTransferAtTheIdleLimit) {
    auto header = std::make_shared<bool>(true);
    GeneratedLine line([header] {
        const bool first = std::exchange(*header, false);
        return first ? ymodem::EncodeHeaderBlock("FORM.DAT", 1000) : DamagedBlock();
    });
    LineReader reader(line);
    MemorySink sink;
    ymodem::ReceiveOptions options;
    options.startChar = ymodem::kCrcMode;
    options.idleLimit = 300ms;
    ymodem::ReceiveResult result;
    EXPECT_LT(Took([&] { result = ymodem::ReceiveFile(reader, sink, options); }), 1000ms);
    EXPECT_EQ(result.outcome, ymodem::ReceiveOutcome::TimedOut);
    EXPECT_GT(result.damaged, 0) << "the library tells a transfer ended by errors from a silent one";
}

TEST(HostileLine, BlocksPastTheAnnouncedSizeFailTheTransfer) {
    for (const std::uint8_t mode : {ymodem::kStreamMode, ymodem::kCrcMode}) {
        SCOPED_TRACE(mode);
        GeneratedLine line(EndlessSender(300));
        LineReader reader(line);
        MemorySink sink;
        ymodem::ReceiveOptions options;
        options.startChar = mode;
        const ymodem::ReceiveResult result = ymodem::ReceiveFile(reader, sink, options);
        EXPECT_EQ(result.outcome, ymodem::ReceiveOutcome::ProtocolError);
        EXPECT_EQ(sink.bytes.size(), 300u);
    }
}

TEST(HostileLine, ASenderThatTricklesValidBlocksIsStoppedAtThePhaseLimit) {
    constexpr std::uint64_t kSize = 20 * 128;
    GeneratedLine line(EndlessSender(kSize), 100ms);  // every block well within the idle limit
    LineReader reader(line);
    MemorySink sink;
    ymodem::ReceiveOptions options;
    options.idleLimit = 300ms;
    const milliseconds limit = ymodem::FilePhaseLimit(kSize, options.bitsPerSecond, options.idleLimit);
    ymodem::ReceiveResult result;
    const milliseconds took = Took([&] { result = ymodem::ReceiveFile(reader, sink, options); });
    EXPECT_EQ(result.outcome, ymodem::ReceiveOutcome::TimedOut);
    EXPECT_LT(took, limit + 500ms);
    EXPECT_LT(sink.bytes.size(), kSize);
}

TEST(HostileLine, ThePhaseLimitIsTwiceTheLineTimePlusTheIdleLimit) {
    EXPECT_EQ(ymodem::FilePhaseLimit(0, 115200, 5000ms), 5000ms);
    // 1 MiB: 8192 blocks of 133 line bytes, 10 bits each.
    EXPECT_EQ(ymodem::FilePhaseLimit(1 << 20, 115200, 5000ms),
              5000ms + milliseconds(2LL * 8192 * 1330 * 1000 / 115200));
    EXPECT_EQ(ymodem::FilePhaseLimit(1 << 20, 9600, 5000ms), 5000ms + milliseconds(2LL * 8192 * 1330 * 1000 / 9600));
    EXPECT_EQ(ymodem::FilePhaseLimit(UINT64_MAX, 9600, 0ms), std::chrono::hours(24 * 30));
}

}  // namespace
}  // namespace bayhaul::tether
