// The PC's side of one request: send the frame, wait for the answer with
// the same sequence number, retransmit on silence or a damaged answer.
#pragma once

#include <cstdint>
#include <vector>

#include "tether/core/frame.h"
#include "tether/core/line_reader.h"

namespace bayhaul::tether {

struct RetryPolicy {
    int tries = 5;
    milliseconds tryTimeout{150};
};

// Answer timeout for requests at a line speed: 100 ms plus 512 byte times.
// A request ends within tries x timeout (plus writing it), whatever the line does.
RetryPolicy RequestPolicy(int bitsPerSecond);
// Identify while connecting: three tries of 90 ms, so a connect fails within
// 0.3 s on an empty port, a port at the other speed, or a babbling line.
RetryPolicy ConnectPolicy();

enum class ExchangeStatus { Answered, NoAnswer, LineLost, Cancelled };

struct ExchangeResult {
    ExchangeStatus status = ExchangeStatus::NoAnswer;
    Frame answer;  // its type is the request's answer type or kRefused
    // NoAnswer: bytes arrived that were no frame (damaged frames or noise),
    // as against a silent line or only frames for others.
    bool garbled = false;
};

// Sends `request` (after `before`, on every try) and waits for its answer.
ExchangeResult Exchange(LineReader& reader, const Frame& request, const RetryPolicy& policy,
                        const std::vector<std::uint8_t>& before = {});

}  // namespace bayhaul::tether
