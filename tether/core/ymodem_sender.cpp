#include "tether/core/ymodem_sender.h"

#include <algorithm>
#include <functional>

#include "tether/core/ymodem.h"

namespace bayhaul::tether::ymodem {
namespace {

constexpr milliseconds kAnswerWait{3000};  // for one ACK or NAK
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

class Sender {
public:
    Sender(LineReader& reader, std::uint8_t startChar, const std::string& name, SendSource& source,
           const SendOptions& options)
        : reader_(reader),
          streaming_(startChar == kStreamMode),
          name_(name),
          source_(source),
          size_(source.Size()),
          rule_(options.afterError, options.blocks) {
        result_.dataSent = std::min(options.offset, size_);
    }

    SendResult Run() {
        SendOutcome outcome = SendHeader();
        if (outcome == SendOutcome::Sent) outcome = AwaitNextStart();
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
            if (!reader_.Write(block)) return SendOutcome::LineLost;
            if (!acknowledged) return CancelPending(reader_) ? SendOutcome::Cancelled : SendOutcome::Sent;
            switch (AwaitReply(reader_, std::min(SteadyClock::now() + kAnswerWait, giveUp))) {
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

    // The block at the current offset; empty when its bytes cannot be read.
    std::vector<std::uint8_t> DataBlock(std::uint8_t number) {
        const std::uint64_t left = size_ - result_.dataSent;
        const std::size_t size = left <= kSmallTail ? 128 : rule_.Size();
        blockData_ = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
        std::uint8_t bytes[1024];
        if (!source_.ReadAt(result_.dataSent, bytes, blockData_)) return {};
        return EncodeBlock(number, bytes, blockData_, size);
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
            switch (AwaitReply(reader_, SteadyClock::now() + kAnswerWait)) {
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
        const std::uint8_t start = AwaitStart(reader_, SteadyClock::now() + kAnswerWait);
        if (start != kCrcMode && start != kStreamMode) return;
        if (start == kCrcMode) Settle();
        reader_.Write(EncodeHeaderBlock("", 0));  // its ACK changes nothing, so it is not awaited
    }

    LineReader& reader_;
    const bool streaming_;
    const std::string& name_;
    SendSource& source_;
    const std::uint64_t size_;
    BlockSizeRule rule_;
    std::size_t blockData_ = 0;
    SendResult result_;
};

}  // namespace

std::uint8_t AwaitStart(LineReader& reader, SteadyClock::time_point deadline) {
    CancelWatch cancel;
    for (;;) {
        std::uint8_t byte = 0;
        if (reader.Next(byte, deadline) != Wait::Byte) return 0;
        if (byte == kCrcMode || byte == kStreamMode) return byte;
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
    small_ = true;
    clean_ = 0;
}

void BlockSizeRule::Delivered() {
    if (choice_ != Choice::Follow || !small_) return;
    if (++clean_ >= kCleanRun) small_ = false;
}

SendResult SendFile(LineReader& reader, std::uint8_t startChar, const std::string& name, SendSource& source,
                    const SendOptions& options) {
    return Sender(reader, startChar, name, source, options).Run();
}

}  // namespace bayhaul::tether::ymodem
