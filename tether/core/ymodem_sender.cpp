#include "tether/core/ymodem_sender.h"

#include <algorithm>
#include <algorithm>
#include <deque>
#include <functional>

#include "tether/core/ymodem.h"

namespace bayhaul::tether::ymodem {
namespace {

constexpr milliseconds kAnswerWait{3000};  // for one ACK or NAK, when the line's speed is not known
constexpr milliseconds kGiveUp{10000};     // without any answer at all
constexpr int kMaxTries = 200;             // of one block
constexpr int kMaxEotTries = 10;
constexpr std::size_t kSmallTail = 896;  // the last bytes go in 128-byte blocks
constexpr milliseconds kSettle{50};

enum class Reply { Ack, Nak, Cancel, Timeout, Closed };

// Tells two CAN bytes in a row apart from anything else, byte by byte.
class CancelWatch {
public:
    // True when `byte` completes CAN CAN.
    bool Saw(std::uint8_t byte) {
        const bool cancel = byte == kCan && lastWasCan_;
        lastWasCan_ = byte == kCan;
        return cancel;
    }

private:
    bool lastWasCan_ = false;
};

// The receiver's answer to a block: ACK, NAK (or 'C', which asks for a
// resend too), CAN CAN, or nothing.
Reply AwaitReply(LineReader& reader, SteadyClock::time_point deadline) {
    CancelWatch cancel;
    for (;;) {
        std::uint8_t byte = 0;
        const Wait w = reader.Next(byte, deadline);
        if (w == Wait::Closed) return Reply::Closed;
        if (w != Wait::Byte) return Reply::Timeout;
        if (byte == kAck) return Reply::Ack;
        if (byte == kNak || byte == kCrcMode) return Reply::Nak;
        if (cancel.Saw(byte)) return Reply::Cancel;
    }
}

// An answer of the window mode: ACK or NAK with the block number after it.
struct NumberedReply {
    Reply kind = Reply::Timeout;
    std::uint8_t number = 0;
};

NumberedReply AwaitNumberedReply(LineReader& reader, SteadyClock::time_point deadline) {
    CancelWatch cancel;
    for (;;) {
        std::uint8_t byte = 0;
        Wait w = reader.Next(byte, deadline);
        if (w == Wait::Closed) return {Reply::Closed};
        if (w != Wait::Byte) return {Reply::Timeout};
        if (byte == kAck || byte == kNak) {
            std::uint8_t number = 0;
            w = reader.Next(number, deadline);
            if (w == Wait::Closed) return {Reply::Closed};
            if (w != Wait::Byte) return {Reply::Timeout};
            return {byte == kAck ? Reply::Ack : Reply::Nak, number};
        }
        if (cancel.Saw(byte)) return {Reply::Cancel};
    }
}

// True when the receiver has sent CAN CAN. Never waits, and looks at no
// more than a few bytes, so a receiver that babbles cannot hold it.
bool CancelPending(LineReader& reader) {
    constexpr int kMostBytes = 64;
    CancelWatch cancel;
    std::uint8_t byte = 0;
    for (int seen = 0; seen < kMostBytes && reader.NextWaiting(byte); ++seen) {
        if (cancel.Saw(byte)) return true;
    }
    return false;
}

// 200 ms and the time of three large blocks on the line; 3 s when the
// line's speed is not known.
milliseconds AnswerWait(int bitsPerSecond) {
    if (bitsPerSecond <= 0) return kAnswerWait;
    return milliseconds(200 + 3 * 1029 * 10 * 1000 / bitsPerSecond);
}

class Sender {
public:
    Sender(LineReader& reader, std::uint8_t startChar, const std::string& name, SendSource& source,
           const SendOptions& options)
        : reader_(reader),
          streaming_(startChar == kStreamMode),
          windowed_(startChar == kWindowMode),
          name_(name),
          source_(source),
          size_(source.Size()),
          rule_(options.afterError, options.blocks),
          answerWait_(AnswerWait(options.bitsPerSecond)),
          bitsPerSecond_(options.bitsPerSecond) {
        result_.dataSent = std::min(options.offset, size_);
    }

    SendResult Run() {
        SendOutcome outcome = SendHeader();
        if (outcome == SendOutcome::Sent) outcome = AwaitNextStart();
        if (outcome == SendOutcome::Sent && windowed_) outcome = SendWindowed();
        std::uint8_t number = 1;
        while (outcome == SendOutcome::Sent && result_.dataSent < size_) {
            outcome = SendDataBlock(number++);
        }
        if (outcome == SendOutcome::ReadFailed) reader_.WriteRepeated(kCan, kCancelCount);
        if (outcome == SendOutcome::Sent) outcome = SendEot();
        if (outcome == SendOutcome::Sent) CloseBatch();
        result_.outcome = outcome;
        return result_;
    }

private:
    // Block 0. A streaming receiver answers it with ACK and its start
    // character, which AwaitNextStart must still find, so nothing is read here.
    SendOutcome SendHeader() {
        const auto block = EncodeHeaderBlock(name_, size_);
        if (!streaming_) {
            Settle();
            return SendAcknowledged(block, true);
        }
        return reader_.Write(block) ? SendOutcome::Sent : SendOutcome::LineLost;
    }

    // Standard receivers discard their input right after sending 'C' for
    // block 0; a block sent at once would be lost and cost them a timeout.
    void Settle() { reader_.Drain(kSettle, kSettle * 4); }

    SendOutcome AwaitNextStart() {
        const std::uint8_t start = AwaitStart(reader_, SteadyClock::now() + kGiveUp);
        if (start == kCan) return SendOutcome::Cancelled;
        if (start != 0) return SendOutcome::Sent;
        return reader_.Closed() ? SendOutcome::LineLost : SendOutcome::NoAnswer;
    }

    // Sends a block and, unless streaming, repeats it until it is ACKed.
    // `resized` rebuilds the block after a NAK (smaller blocks on a noisy
    // line); an empty block from it means its bytes could not be read.
    SendOutcome SendAcknowledged(std::vector<std::uint8_t> block, bool acknowledged,
                                 const std::function<std::vector<std::uint8_t>()>& resized = nullptr) {
        const auto giveUp = SteadyClock::now() + kGiveUp;
        for (int tries = 0; tries < kMaxTries; ++tries) {
            if (!acknowledged) return Stream(block);
            if (!reader_.Write(block)) return SendOutcome::LineLost;
            switch (AwaitReply(reader_, std::min(SteadyClock::now() + answerWait_, giveUp))) {
                case Reply::Ack:
                    return SendOutcome::Sent;
                case Reply::Cancel:
                    return SendOutcome::Cancelled;
                case Reply::Closed:
                    return SendOutcome::LineLost;
                case Reply::Nak:
                    if (resized) block = resized();
                    if (block.empty()) return SendOutcome::ReadFailed;
                    break;
                case Reply::Timeout:
                    if (SteadyClock::now() >= giveUp) return SendOutcome::NoAnswer;
                    break;
            }
        }
        return SendOutcome::NoAnswer;
    }

    // A streamed block goes out in pieces, with a look for the receiver's
    // cancel after each, so that a broken stream stops within a piece.
    SendOutcome Stream(const std::vector<std::uint8_t>& block) {
        constexpr std::size_t kPiece = 128;
        for (std::size_t at = 0; at < block.size(); at += kPiece) {
            if (!reader_.Write(block.data() + at, std::min(kPiece, block.size() - at))) return SendOutcome::LineLost;
            if (CancelPending(reader_)) return SendOutcome::Cancelled;
        }
        return SendOutcome::Sent;
    }

    // The block at `offset` (the current one when not given); empty when
    // its bytes cannot be read. Its data size is left in blockData_.
    std::vector<std::uint8_t> DataBlock(std::uint8_t number) { return DataBlockAt(number, result_.dataSent); }
    std::vector<std::uint8_t> DataBlockAt(std::uint8_t number, std::uint64_t offset) {
        const std::uint64_t left = size_ - offset;
        const std::size_t size = left <= kSmallTail ? 128 : rule_.Size();
        blockData_ = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
        std::uint8_t bytes[1024];
        if (!source_.ReadAt(offset, bytes, blockData_)) return {};
        return EncodeBlock(number, bytes, blockData_, size);
    }

    // Acknowledged blocks with up to kWindowBlocks on the line before their
    // ACKs, so the line stays busy while the answers travel. The answers are
    // numbered: ACK n settles every block up to n; NAK e, or no answer within
    // the wait, sends again from block e (or the oldest unsettled one). The
    // wait is the line time of the unsettled blocks and 50 ms for the way
    // back, when the line's speed is known.
    SendOutcome SendWindowed() {
        struct OnLine {
            std::uint8_t number;
            std::uint64_t offset;
            std::size_t size;
        };
        std::deque<OnLine> unsettled;
        std::uint8_t number = 1;
        std::uint64_t next = result_.dataSent;  // the first byte not yet on the line
        const auto find = [&](std::uint8_t wanted) {
            return std::find_if(unsettled.begin(), unsettled.end(),
                                [&](const OnLine& b) { return b.number == wanted; });
        };
        const auto settleBefore = [&](std::deque<OnLine>::iterator end) {
            for (auto it = unsettled.begin(); it != end; ++it) rule_.Delivered();
            unsettled.erase(unsettled.begin(), end);
            result_.dataSent = unsettled.empty() ? next : unsettled.front().offset;
        };
        auto lastAnswer = SteadyClock::now();
        for (int tries = 0;;) {
            while (unsettled.size() < kWindowBlocks && next < size_) {
                const std::vector<std::uint8_t> block = DataBlockAt(number, next);
                if (block.empty()) return SendOutcome::ReadFailed;
                if (!reader_.Write(block)) return SendOutcome::LineLost;
                unsettled.push_back({number++, next, blockData_});
                next += blockData_;
            }
            if (unsettled.empty()) return SendOutcome::Sent;
            std::size_t onLine = 0;
            for (const OnLine& block : unsettled) onLine += block.size + 5;
            const auto wait = bitsPerSecond_ > 0
                                  ? std::min<SteadyClock::duration>(
                                        answerWait_, std::chrono::microseconds(onLine * 10 * 1000000 / bitsPerSecond_) +
                                                         milliseconds(50))
                                  : SteadyClock::duration(answerWait_);
            const NumberedReply reply = AwaitNumberedReply(reader_, SteadyClock::now() + wait);
            if (reply.kind == Reply::Cancel) return SendOutcome::Cancelled;
            if (reply.kind == Reply::Closed) return SendOutcome::LineLost;
            const auto named = find(reply.number);
            if (reply.kind == Reply::Ack && named != unsettled.end()) {
                settleBefore(std::next(named));
                lastAnswer = SteadyClock::now();
                tries = 0;
                continue;
            }
            if (reply.kind == Reply::Nak && named == unsettled.end()) {
                if (reply.number == number) settleBefore(unsettled.end());  // all arrived, the rest is wanted
                continue;                                                   // otherwise a stale or damaged one
            }
            if (reply.kind == Reply::Ack) continue;  // a number we do not know: damaged
            if (reply.kind == Reply::Nak) {
                settleBefore(named);
                rule_.Error();
            }
            if (++tries >= kMaxTries || SteadyClock::now() - lastAnswer >= kGiveUp) return SendOutcome::NoAnswer;
            number = unsettled.front().number;
            next = unsettled.front().offset;
            unsettled.clear();
        }
    }

    SendOutcome SendDataBlock(std::uint8_t number) {
        std::vector<std::uint8_t> block = DataBlock(number);
        if (block.empty()) return SendOutcome::ReadFailed;
        const SendOutcome outcome = SendAcknowledged(std::move(block), !streaming_, [&] {
            rule_.Error();
            return DataBlock(number);
        });
        if (outcome == SendOutcome::Sent) {
            result_.dataSent += blockData_;
            rule_.Delivered();
        }
        return outcome;
    }

    SendOutcome SendEot() {
        for (int tries = 0; tries < kMaxEotTries; ++tries) {
            if (!reader_.WriteByte(kEot)) return SendOutcome::LineLost;
            switch (AwaitReply(reader_, SteadyClock::now() + answerWait_)) {
                case Reply::Ack:
                    return SendOutcome::Sent;
                case Reply::Cancel:
                    return SendOutcome::Cancelled;
                case Reply::Closed:
                    return SendOutcome::LineLost;
                default:
                    break;
            }
        }
        return SendOutcome::NoAnswer;
    }

    // The empty block 0 that ends the batch, if the receiver asks for it.
    void CloseBatch() {
        const std::uint8_t start = AwaitStart(reader_, SteadyClock::now() + answerWait_);
        if (start == 0 || start == kCan) return;
        if (start != kStreamMode) Settle();
        reader_.Write(EncodeHeaderBlock("", 0));  // its ACK changes nothing, so it is not awaited
    }

    LineReader& reader_;
    const bool streaming_;
    const bool windowed_;
    const std::string& name_;
    SendSource& source_;
    const std::uint64_t size_;
    BlockSizeRule rule_;
    const milliseconds answerWait_;
    const int bitsPerSecond_;
    std::size_t blockData_ = 0;
    SendResult result_;
};

}  // namespace

std::uint8_t AwaitStart(LineReader& reader, SteadyClock::time_point deadline) {
    CancelWatch cancel;
    for (;;) {
        std::uint8_t byte = 0;
        if (reader.Next(byte, deadline) != Wait::Byte) return 0;
        if (byte == kCrcMode || byte == kStreamMode || byte == kWindowMode) return byte;
        if (cancel.Saw(byte)) return kCan;
    }
}

bool MemorySource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    if (offset > data_.size() || count > data_.size() - offset) return false;
    std::copy_n(data_.begin() + static_cast<long>(offset), count, out);
    return true;
}

BlockSizeRule::BlockSizeRule(bool afterError, Choice choice)
    : choice_(choice), small_(choice == Choice::Always128 || (choice == Choice::Follow && afterError)) {}

std::size_t BlockSizeRule::Size() const {
    return small_ ? 128 : 1024;
}

void BlockSizeRule::Error() {
    if (choice_ != Choice::Follow) return;
    if (returned_) needed_ = std::min(2 * needed_, kLongestRun);  // back to large blocks too soon
    returned_ = false;
    small_ = true;
    clean_ = 0;
}

void BlockSizeRule::Delivered() {
    if (choice_ != Choice::Follow) return;
    ++clean_;
    if (small_ && clean_ >= needed_) {
        small_ = false;
        returned_ = true;
        clean_ = 0;
    } else if (returned_ && clean_ == kCleanRun) {
        returned_ = false;
        needed_ = kCleanRun;  // large blocks go through: the line is clean again
    }
}

SendResult SendFile(LineReader& reader, std::uint8_t startChar, const std::string& name, SendSource& source,
                    const SendOptions& options) {
    return Sender(reader, startChar, name, source, options).Run();
}

}  // namespace bayhaul::tether::ymodem
