#include "tether/core/ymodem_receiver.h"

#include <algorithm>

namespace bayhaul::tether::ymodem {
namespace {

constexpr milliseconds kNakAfter{1000};   // silence before asking again in 'C' mode
constexpr milliseconds kBodyLimit{3000};  // the rest of a block once its start byte came
constexpr milliseconds kSecondEotWait{1000};
constexpr milliseconds kDrainLimit{2000};

class Receiver {
public:
    Receiver(LineReader& reader, ReceiveSink& sink, const ReceiveOptions& options)
        : reader_(reader), sink_(sink), options_(options), streaming_(options.startChar == kStreamMode) {}

    ReceiveResult Run() {
        result_.outcome = ReceiveHeader();
        if (result_.outcome == ReceiveOutcome::Complete) result_.outcome = ReceiveData();
        if (result_.outcome == ReceiveOutcome::Complete) EndBatch();
        return result_;
    }

private:
    Clock::time_point IdleDeadline() const { return lastValid_ + options_.idleLimit; }

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
            if (Clock::now() >= IdleDeadline()) return Abort(ReceiveOutcome::TimedOut);
            if (!reader_.WriteByte(options_.startChar)) return ReceiveOutcome::LineLost;
            const Block block = ReadBlock(reader_, std::min(Clock::now() + kNakAfter, IdleDeadline()), kBodyLimit);
            switch (block.kind) {
                case BlockKind::Closed:
                case BlockKind::Cancelled:
                    return Fatal(block.kind);
                case BlockKind::Cancel:
                    return ReceiveOutcome::SenderCancelled;
                case BlockKind::Block:
                    break;
                case BlockKind::Corrupt:
                    // A streaming sender does not wait for block 0's ACK: only a new start helps.
                    if (streaming_) return Abort(ReceiveOutcome::StreamError);
                    if (reader_.Drain(options_.quietGap, kDrainLimit) == Wait::Closed) return ReceiveOutcome::LineLost;
                    continue;
                default:
                    continue;
            }
            if (block.number != 0) return Abort(ReceiveOutcome::ProtocolError);
            const auto header = ParseHeaderBlock(block.data);
            if (!header || header->name.empty()) return Abort(ReceiveOutcome::ProtocolError);
            result_.header = *header;
            lastValid_ = Clock::now();
            sink_.Announced(header->size);
            const std::uint8_t reply[] = {kAck, options_.startChar};
            return reader_.Write(reply, sizeof reply) ? ReceiveOutcome::Complete : ReceiveOutcome::LineLost;
        }
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
            Clock::time_point deadline = IdleDeadline();
            if (eotSeen)
                deadline = std::min(deadline, Clock::now() + kSecondEotWait);
            else if (!streaming_)
                deadline = std::min(deadline, Clock::now() + kNakAfter);
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
                    if (Clock::now() >= IdleDeadline()) return Abort(ReceiveOutcome::TimedOut);
                    if (!streaming_ && !reader_.WriteByte(kNak)) return ReceiveOutcome::LineLost;
                    continue;
                case BlockKind::Corrupt:
                    if (streaming_) return Abort(ReceiveOutcome::StreamError);
                    if (reader_.Drain(options_.quietGap, kDrainLimit) == Wait::Closed) return ReceiveOutcome::LineLost;
                    if (!reader_.WriteByte(kNak)) return ReceiveOutcome::LineLost;
                    continue;
                case BlockKind::Eot:
                    lastValid_ = Clock::now();
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
            if (block.number == expected) {
                lastValid_ = Clock::now();
                if (!Store(block.data)) return Abort(ReceiveOutcome::SinkFailed);
                ++expected;
                if (!streaming_ && !reader_.WriteByte(kAck)) return ReceiveOutcome::LineLost;
            } else if (!streaming_ && block.number == static_cast<std::uint8_t>(expected - 1)) {
                // Our ACK was lost and the sender repeats the block; block 0
                // also needs the start character it waits for.
                const std::uint8_t reply[] = {kAck, options_.startChar};
                if (!reader_.Write(reply, expected == 1 ? 2 : 1)) return ReceiveOutcome::LineLost;
            } else {
                return Abort(streaming_ ? ReceiveOutcome::StreamError : ReceiveOutcome::ProtocolError);
            }
        }
    }

    // The closing empty block 0 that standard senders wait for. The file is
    // complete already, so nothing here can fail the transfer.
    void EndBatch() {
        if (!reader_.WriteByte(options_.startChar)) return;
        const Block block = ReadBlock(reader_, Clock::now() + kNakAfter, kBodyLimit);
        if (block.kind == BlockKind::Block && block.number == 0) reader_.WriteByte(kAck);
    }

    LineReader& reader_;
    ReceiveSink& sink_;
    const ReceiveOptions& options_;
    const bool streaming_;
    Clock::time_point lastValid_ = Clock::now();
    ReceiveResult result_;
};

}  // namespace

milliseconds QuietGapFor(int bitsPerSecond) {
    return std::max(milliseconds(10), milliseconds(32 * 10 * 1000 / std::max(bitsPerSecond, 1)));
}

ReceiveResult ReceiveFile(LineReader& reader, ReceiveSink& sink, const ReceiveOptions& options) {
    return Receiver(reader, sink, options).Run();
}

}  // namespace bayhaul::tether::ymodem
