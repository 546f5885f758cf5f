// Sends one file over YMODEM to a receiver that has already sent its start
// character ('C' for acknowledged blocks, 'G' for streaming).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tether/core/line_reader.h"

namespace bayhaul::tether::ymodem {

enum class SendOutcome {
    Sent,
    Cancelled,  // the receiver sent CAN CAN
    NoAnswer,   // 10 s without an answer, or too many tries of one block
    LineLost,
    ReadFailed,  // the file's bytes could not be read; the receiver was cancelled
};

// Where the sender takes the file's bytes from, as it needs them.
class SendSource {
public:
    virtual ~SendSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies `count` bytes from `offset` into `out`; false when they cannot be read.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) = 0;
};

// A file held in memory.
class MemorySource final : public SendSource {
public:
    explicit MemorySource(const std::vector<std::uint8_t>& data) : data_(data) {}
    std::uint64_t Size() const override { return data_.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override;

private:
    const std::vector<std::uint8_t>& data_;
};

struct SendResult {
    SendOutcome outcome = SendOutcome::NoAnswer;
    std::uint64_t dataSent = 0;  // file bytes in blocks sent so far
};

// Waits until `deadline` for the receiver's start character. Returns 'C' or
// 'G', kCan when the receiver sent CAN CAN, or 0 when nothing came (or the
// line closed); other bytes are skipped.
std::uint8_t AwaitStart(LineReader& reader, SteadyClock::time_point deadline);

SendResult SendFile(LineReader& reader, std::uint8_t startChar, const std::string& name, SendSource& source);

}  // namespace bayhaul::tether::ymodem
