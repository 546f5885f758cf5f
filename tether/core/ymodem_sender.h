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
};

struct SendResult {
    SendOutcome outcome = SendOutcome::NoAnswer;
    std::uint64_t dataSent = 0;  // file bytes in blocks sent so far
};

// Waits until `deadline` for the receiver's start character. Returns 'C' or
// 'G', kCan when the receiver sent CAN CAN, or 0 when nothing came (or the
// line closed); other bytes are skipped.
std::uint8_t AwaitStart(LineReader& reader, Clock::time_point deadline);

SendResult SendFile(LineReader& reader, std::uint8_t startChar, const std::string& name,
                    const std::vector<std::uint8_t>& data);

}  // namespace bayhaul::tether::ymodem
