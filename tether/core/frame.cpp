#include "tether/core/frame.h"

#include <algorithm>

#include "tether/core/crc16.h"

namespace bayhaul::tether {
namespace {
constexpr std::size_t kOverhead = 6;  // start, LEN, TYPE, SEQ, two CRC bytes
}

std::vector<std::uint8_t> EncodeFrame(const Frame& frame) {
    std::vector<std::uint8_t> bytes(4 + frame.payload.size() + 2);
    bytes[0] = kFrameStart;
    bytes[1] = static_cast<std::uint8_t>(frame.payload.size());
    bytes[2] = frame.type;
    bytes[3] = frame.seq;
    std::copy(frame.payload.begin(), frame.payload.end(), bytes.begin() + 4);
    bytes.resize(4 + frame.payload.size());
    const std::uint16_t crc = Crc16(bytes.data() + 1, bytes.size() - 1);
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return bytes;
}

std::optional<Frame> FrameScanner::Take() {
    std::size_t start = 0;
    std::optional<Frame> found;
    while (start < pending_.size()) {
        if (pending_[start] != kFrameStart) {
            ++start;
            continue;
        }
        if (pending_.size() - start < 2) break;
        const std::size_t length = pending_[start + 1];
        if (length > kMaxPayload) {
            ++start;
            continue;
        }
        if (pending_.size() - start < length + kOverhead) break;
        const std::uint8_t* body = pending_.data() + start + 1;
        const std::uint16_t crc = Crc16(body, length + 3);
        const std::uint16_t sent = static_cast<std::uint16_t>((body[length + 3] << 8) | body[length + 4]);
        if (crc != sent) {
            ++start;
            continue;
        }
        found = Frame{body[1], body[2], std::vector<std::uint8_t>(body + 3, body + 3 + length)};
        start += length + kOverhead;
        break;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(start));
    return found;
}

}  // namespace bayhaul::tether
