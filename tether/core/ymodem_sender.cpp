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

// The receiver's answer to a block: ACK, NAK (or 'C', which asks for a
// resend too), CAN CAN, or nothing.
Reply AwaitReply(LineReader& reader, Clock::time_point deadline) {
    bool lastWasCan = false;
    for (;;) {
        std::uint8_t byte = 0;
        const Wait w = reader.Next(byte, deadline);
        if (w == Wait::Closed) return Reply::Closed;
        if (w != Wait::Byte) return Reply::Timeout;
        if (byte == kAck) return Reply::Ack;
        if (byte == kNak || byte == kCrcMode) return Reply::Nak;
        if (byte == kCan && lastWasCan) return Reply::Cancel;
        lastWasCan = byte == kCan;
    }
}

// True when the receiver has sent CAN CAN; never waits.
bool CancelPending(LineReader& reader) {
    std::uint8_t byte = 0;
    bool lastWasCan = false;
    while (reader.Next(byte, Clock::now()) == Wait::Byte) {
        if (byte == kCan && lastWasCan) return true;
        lastWasCan = byte == kCan;
    }
    return false;
}

class Sender {
public:
    Sender(LineReader& reader, std::uint8_t startChar, const std::string& name, const std::vector<std::uint8_t>& data)
        : reader_(reader), streaming_(startChar == kStreamMode), name_(name), data_(data) {}

    SendResult Run() {
        SendOutcome outcome = SendHeader();
        if (outcome == SendOutcome::Sent) outcome = AwaitNextStart();
        std::uint8_t number = 1;
        while (outcome == SendOutcome::Sent && result_.dataSent < data_.size()) {
            outcome = SendDataBlock(number++);
        }
        if (outcome == SendOutcome::Sent) outcome = SendEot();
        if (outcome == SendOutcome::Sent) CloseBatch();
        result_.outcome = outcome;
        return result_;
    }

private:
    // Block 0. A streaming receiver answers it with ACK and its start
    // character, which AwaitNextStart must still find, so nothing is read here.
    SendOutcome SendHeader() {
        const auto block = EncodeHeaderBlock(name_, data_.size());
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
        const std::uint8_t start = AwaitStart(reader_, Clock::now() + kGiveUp);
        if (start == kCan) return SendOutcome::Cancelled;
        if (start != 0) return SendOutcome::Sent;
        return reader_.Closed() ? SendOutcome::LineLost : SendOutcome::NoAnswer;
    }

    // Sends a block and, unless streaming, repeats it until it is ACKed.
    // `resized` rebuilds the block after a NAK (smaller blocks on a noisy line).
    SendOutcome SendAcknowledged(std::vector<std::uint8_t> block, bool acknowledged,
                                 const std::function<std::vector<std::uint8_t>()>& resized = nullptr) {
        const auto giveUp = Clock::now() + kGiveUp;
        for (int tries = 0; tries < kMaxTries; ++tries) {
            if (!reader_.Write(block)) return SendOutcome::LineLost;
            if (!acknowledged) return CancelPending(reader_) ? SendOutcome::Cancelled : SendOutcome::Sent;
            switch (AwaitReply(reader_, std::min(Clock::now() + kAnswerWait, giveUp))) {
                case Reply::Ack:
                    return SendOutcome::Sent;
                case Reply::Cancel:
                    return SendOutcome::Cancelled;
                case Reply::Closed:
                    return SendOutcome::LineLost;
                case Reply::Nak:
                    if (resized) block = resized();
                    break;
                case Reply::Timeout:
                    if (Clock::now() >= giveUp) return SendOutcome::NoAnswer;
                    break;
            }
        }
        return SendOutcome::NoAnswer;
    }

    std::vector<std::uint8_t> DataBlock(std::uint8_t number) {
        const std::size_t left = data_.size() - static_cast<std::size_t>(result_.dataSent);
        const std::size_t size = (smallBlocks_ || left <= kSmallTail) ? 128 : 1024;
        blockData_ = std::min(left, size);
        return EncodeBlock(number, data_.data() + result_.dataSent, blockData_, size);
    }

    SendOutcome SendDataBlock(std::uint8_t number) {
        const SendOutcome outcome = SendAcknowledged(DataBlock(number), !streaming_, [&] {
            smallBlocks_ = true;
            return DataBlock(number);
        });
        if (outcome == SendOutcome::Sent) result_.dataSent += blockData_;
        return outcome;
    }

    SendOutcome SendEot() {
        for (int tries = 0; tries < kMaxEotTries; ++tries) {
            if (!reader_.WriteByte(kEot)) return SendOutcome::LineLost;
            switch (AwaitReply(reader_, Clock::now() + kAnswerWait)) {
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
        const std::uint8_t start = AwaitStart(reader_, Clock::now() + kAnswerWait);
        if (start != kCrcMode && start != kStreamMode) return;
        if (start == kCrcMode) Settle();
        reader_.Write(EncodeHeaderBlock("", 0));  // its ACK changes nothing, so it is not awaited
    }

    LineReader& reader_;
    const bool streaming_;
    const std::string& name_;
    const std::vector<std::uint8_t>& data_;
    bool smallBlocks_ = false;
    std::size_t blockData_ = 0;
    SendResult result_;
};

}  // namespace

std::uint8_t AwaitStart(LineReader& reader, Clock::time_point deadline) {
    bool lastWasCan = false;
    for (;;) {
        std::uint8_t byte = 0;
        if (reader.Next(byte, deadline) != Wait::Byte) return 0;
        if (byte == kCrcMode || byte == kStreamMode) return byte;
        if (byte == kCan && lastWasCan) return kCan;
        lastWasCan = byte == kCan;
    }
}

SendResult SendFile(LineReader& reader, std::uint8_t startChar, const std::string& name,
                    const std::vector<std::uint8_t>& data) {
    return Sender(reader, startChar, name, data).Run();
}

}  // namespace bayhaul::tether::ymodem
