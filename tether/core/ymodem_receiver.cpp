#include "tether/core/ymodem_receiver.h"

#include <algorithm>
#include <cmath>

namespace bayhaul::tether::ymodem {
namespace {

constexpr milliseconds kNakAfter{1000};   // silence before asking again in 'C' mode
constexpr milliseconds kBodyLimit{3000};  // the rest of a block once its start byte came
constexpr milliseconds kSecondEotWait{1000};
constexpr milliseconds kDrainLimit{2000};

class Receiver {
public:
    Receiver(LineReader& reader, ReceiveSink& sink, const ReceiveOptions& options)
        : reader_(reader),
          sink_(sink),
          options_(options),
          streaming_(options.startChar == kStreamMode),
          windowed_(options.startChar == kWindowMode),
          quietGap_(QuietGapFor(options.bitsPerSecond)),
          phaseEnd_(options.deadline) {
        result_.received = options.offset;
        result_.deadline = options.deadline;
    }

    ReceiveResult Run() {
        result_.outcome = ReceiveHeader();
        if (result_.outcome == ReceiveOutcome::Complete) result_.outcome = ReceiveData();
        if (result_.outcome == ReceiveOutcome::Complete) EndBatch();
        return result_;
    }

private:
    // The idle limit, and once block 0 is in the file phase's limit.
    SteadyClock::time_point Deadline() const { return std::min(lastValid_ + options_.idleLimit, phaseEnd_); }
    bool Overdue() const { return SteadyClock::now() >= Deadline(); }

    // Skips the rest of a damaged block, waiting no longer than the deadline.
    bool SkipDamage() {
        const auto left = std::chrono::duration_cast<milliseconds>(Deadline() - SteadyClock::now());
        return reader_.Drain(quietGap_, std::clamp(left, milliseconds(0), kDrainLimit)) != Wait::Closed;
    }

    // Ends the transfer on our side: tells the sender to stop.
    ReceiveOutcome Abort(ReceiveOutcome outcome) {
        if (outcome != ReceiveOutcome::LineLost) reader_.WriteRepeated(kCan, kCancelCount);
        return outcome;
    }

    ReceiveOutcome Fatal(BlockKind kind) {
        return kind == BlockKind::Closed ? ReceiveOutcome::LineLost : Abort(ReceiveOutcome::Cancelled);
    }

    ReceiveOutcome ReceiveHeader() {
        for (;;) {
            if (Overdue()) return Abort(ReceiveOutcome::TimedOut);
            if (!reader_.WriteByte(options_.startChar)) return ReceiveOutcome::LineLost;
            const Block block = ReadBlock(reader_, std::min(SteadyClock::now() + kNakAfter, Deadline()), kBodyLimit);
            switch (block.kind) {
                case BlockKind::Closed:
                case BlockKind::Cancelled:
                    return Fatal(block.kind);
                case BlockKind::Cancel:
                    return ReceiveOutcome::SenderCancelled;
                case BlockKind::Block:
                    break;
                case BlockKind::Corrupt:
                    ++result_.damaged;
                    // A streaming sender does not wait for block 0's ACK: only a new start helps.
                    if (streaming_) return Abort(ReceiveOutcome::StreamError);
                    if (!SkipDamage()) return ReceiveOutcome::LineLost;
                    continue;
                default:
                    continue;
            }
            if (block.number != 0) return Abort(ReceiveOutcome::ProtocolError);
            const auto header = ParseHeaderBlock(block.data);
            if (!header || header->name.empty() || !sink_.Announced(header->size)) {
                return Abort(ReceiveOutcome::ProtocolError);
            }
            result_.header = *header;
            lastValid_ = SteadyClock::now();
            phaseEnd_ = std::min(phaseEnd_,
                                 lastValid_ + FilePhaseLimit(header->size, options_.bitsPerSecond, options_.idleLimit));
            result_.deadline = phaseEnd_;
            if (result_.received > header->size) return Abort(ReceiveOutcome::ProtocolError);
            const std::uint8_t reply[] = {kAck, options_.startChar};
            return reader_.Write(reply, sizeof reply) ? ReceiveOutcome::Complete : ReceiveOutcome::LineLost;
        }
    }

    // An ACK or NAK of the window mode, with its block number.
    bool Numbered(std::uint8_t answer, std::uint8_t number) {
        const std::uint8_t reply[] = {answer, number};
        return reader_.Write(reply, sizeof reply);
    }

    // The NAK of the window mode. The rest of a bad block would call for a
    // NAK at every damaged piece; another goes out only after one and a half
    // times the line time of a small block, which the sender uses after an
    // error, so a repeat that fails again is asked for again at once. (A NAK
    // for what was still on the line costs the sender one more go-back.)
    bool AskAgain(std::uint8_t expected) {
        const auto now = SteadyClock::now();
        if (now - lastNak_ < LineTime(133) * 3 / 2) return true;
        lastNak_ = now;
        return Numbered(kNak, expected);
    }

    SteadyClock::duration LineTime(std::size_t bytes) const {
        return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * 10 * 1000000000LL /
                                        std::max(options_.bitsPerSecond, 1));
    }

    // Keeps a block's data, up to the announced size.
    bool Store(const std::vector<std::uint8_t>& data) {
        const std::uint64_t left = result_.header.size - result_.received;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(left, data.size()));
        if (take > 0 && !sink_.Append(data.data(), take)) return false;
        result_.received += take;
        return true;
    }

    ReceiveOutcome ReceiveData() {
        std::uint8_t expected = 1;
        bool eotSeen = false;
        for (;;) {
            if (Overdue()) return Abort(ReceiveOutcome::TimedOut);
            SteadyClock::time_point deadline = Deadline();
            if (eotSeen)
                deadline = std::min(deadline, SteadyClock::now() + kSecondEotWait);
            else
                deadline = std::min(deadline, SteadyClock::now() + kNakAfter);
            const Block block = ReadBlock(reader_, deadline, kBodyLimit);
            switch (block.kind) {
                case BlockKind::Closed:
                case BlockKind::Cancelled:
                    return Fatal(block.kind);
                case BlockKind::Cancel:
                    return ReceiveOutcome::SenderCancelled;
                case BlockKind::Timeout:
                case BlockKind::Incomplete:
                    // A sender that ends with a single EOT and takes no NAK for an answer.
                    if (eotSeen && result_.received == result_.header.size) return ReceiveOutcome::Complete;
                    if (Overdue()) return Abort(ReceiveOutcome::TimedOut);
                    if (streaming_) {
                        // Silence in a stream: before the first data block our start
                        // character may have been lost, so it goes again; later the
                        // stream has broken off.
                        if (expected != 1) return Abort(ReceiveOutcome::StreamError);
                        if (!reader_.WriteByte(options_.startChar)) return ReceiveOutcome::LineLost;
                        continue;
                    }
                    if (!(windowed_ ? AskAgain(expected) : reader_.WriteByte(kNak))) return ReceiveOutcome::LineLost;
                    continue;
                case BlockKind::Corrupt:
                    ++result_.damaged;
                    if (streaming_) return Abort(ReceiveOutcome::StreamError);
                    if (windowed_) {
                        // The blocks behind it are on their way and are dropped;
                        // the NAK sends the sender back to the one expected.
                        if (!AskAgain(expected)) return ReceiveOutcome::LineLost;
                        continue;
                    }
                    if (!SkipDamage()) return ReceiveOutcome::LineLost;
                    if (!reader_.WriteByte(kNak)) return ReceiveOutcome::LineLost;
                    continue;
                case BlockKind::Eot:
                    // In window mode damage is read byte by byte: an EOT before
                    // every announced byte is in is one of its bytes.
                    if (windowed_ && result_.received < result_.header.size) {
                        if (!AskAgain(expected)) return ReceiveOutcome::LineLost;
                        continue;
                    }
                    lastValid_ = SteadyClock::now();
                    if (eotSeen) {
                        if (!reader_.WriteByte(kAck)) return ReceiveOutcome::LineLost;
                        return result_.received == result_.header.size ? ReceiveOutcome::Complete
                                                                       : ReceiveOutcome::SizeMismatch;
                    }
                    eotSeen = true;
                    if (!reader_.WriteByte(kNak)) return ReceiveOutcome::LineLost;
                    continue;
                case BlockKind::Block:
                    break;
            }
            eotSeen = false;
            // How far the block is behind the one expected: a repeat of one we have.
            const std::uint8_t behind = static_cast<std::uint8_t>(expected - block.number);
            if (block.number == expected) {
                // Every announced byte is in: a sender that goes on is not sending this file.
                if (result_.received >= result_.header.size) return Abort(ReceiveOutcome::ProtocolError);
                lastValid_ = SteadyClock::now();
                if (!Store(block.data)) return Abort(ReceiveOutcome::SinkFailed);
                const bool acknowledged =
                    streaming_ || (windowed_ ? Numbered(kAck, expected) : reader_.WriteByte(kAck));
                ++expected;
                if (!acknowledged) return ReceiveOutcome::LineLost;
            } else if (!streaming_ && behind >= 1 && behind <= (windowed_ ? kWindowBlocks : 1)) {
                // Our ACK was lost and the sender repeats the block; block 0
                // also needs the start character it waits for.
                const std::uint8_t reply[] = {kAck, options_.startChar};
                const bool answered = windowed_ && expected != 1 ? Numbered(kAck, expected - 1)
                                                                 : reader_.Write(reply, expected == 1 ? 2 : 1);
                if (!answered) return ReceiveOutcome::LineLost;
            } else if (windowed_) {
                // A block sent after one that went wrong: dropped, with a NAK
                // that sends the sender back unless one just went.
                if (!AskAgain(expected)) return ReceiveOutcome::LineLost;
            } else {
                return Abort(streaming_ ? ReceiveOutcome::StreamError : ReceiveOutcome::ProtocolError);
            }
        }
    }

    // The closing empty block 0 that standard senders wait for. The file is
    // complete already, so nothing here can fail the transfer.
    void EndBatch() {
        if (!reader_.WriteByte(options_.startChar)) return;
        const Block block = ReadBlock(reader_, SteadyClock::now() + kNakAfter, kBodyLimit);
        if (block.kind == BlockKind::Block && block.number == 0) reader_.WriteByte(kAck);
    }

    LineReader& reader_;
    ReceiveSink& sink_;
    const ReceiveOptions& options_;
    const bool streaming_;
    const bool windowed_;
    const milliseconds quietGap_;
    SteadyClock::time_point lastValid_ = SteadyClock::now();
    SteadyClock::time_point phaseEnd_;
    SteadyClock::time_point lastNak_;
    ReceiveResult result_;
};

}  // namespace

milliseconds QuietGapFor(int bitsPerSecond) {
    return std::max(milliseconds(10), milliseconds(32 * 10 * 1000 / std::max(bitsPerSecond, 1)));
}

milliseconds FilePhaseLimit(std::uint64_t size, int bitsPerSecond, milliseconds idleLimit) {
    constexpr double kLineBytesPerBlock = 133;            // SOH, number pair, 128 data bytes, CRC
    constexpr double kLongest = 30.0 * 24 * 3600 * 1000;  // keeps absurd sizes from overflowing a time point
    const double blocks = std::ceil(static_cast<double>(size) / 128);
    const double lineMs = blocks * kLineBytesPerBlock * 10 * 1000 / std::max(bitsPerSecond, 1);
    return idleLimit + milliseconds(static_cast<std::int64_t>(std::min(2 * lineMs, kLongest)));
}

ReceiveResult ReceiveFile(LineReader& reader, ReceiveSink& sink, const ReceiveOptions& options) {
    return Receiver(reader, sink, options).Run();
}

}  // namespace bayhaul::tether::ymodem
