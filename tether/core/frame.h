// Request-phase frames: 0xA5, LEN, TYPE, SEQ, payload, CRC-16 (big-endian)
// over LEN..payload. FrameScanner finds frames in a byte stream and skips
// anything else, resynchronising after a damaged frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace bayhaul::tether {

constexpr std::uint8_t kFrameStart = 0xA5;
constexpr std::size_t kMaxPayload = 250;

struct Frame {
    std::uint8_t type = 0;
    std::uint8_t seq = 0;
    std::vector<std::uint8_t> payload;

    bool operator==(const Frame& other) const {
        return type == other.type && seq == other.seq && payload == other.payload;
    }
};

// The frame's bytes on the line; the payload must not exceed kMaxPayload.
std::vector<std::uint8_t> EncodeFrame(const Frame& frame);

class FrameScanner {
public:
    void Feed(std::uint8_t byte) { pending_.push_back(byte); }
    // The next complete, valid frame, if the bytes fed so far hold one.
    std::optional<Frame> Take();
    // Bytes fed but not yet taken or dropped: the start of a frame still arriving.
    std::size_t Pending() const { return pending_.size(); }

private:
    std::vector<std::uint8_t> pending_;
};

}  // namespace bayhaul::tether
