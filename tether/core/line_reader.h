// Byte-at-a-time reading with deadlines over a ByteLine, with an optional
// cancel flag that every wait honours within 50 ms.
//
// A deadline is checked at every byte, not only when the line is quiet: a
// line that never falls silent (a babbling device, noise) still ends every
// wait on time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

#include "tether/core/byte_line.h"

namespace bayhaul::tether {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

enum class Wait { Byte, Timeout, Closed, Cancelled };

class LineReader {
public:
    explicit LineReader(ByteLine& line, const std::atomic<bool>* cancel = nullptr) : line_(line), cancel_(cancel) {}

    // The next byte, waiting until the deadline at most. Once the deadline
    // has passed it gives Timeout, even when bytes are waiting.
    Wait Next(std::uint8_t& byte, SteadyClock::time_point deadline);
    // A byte that has already arrived, without waiting; false when none has.
    bool NextWaiting(std::uint8_t& byte);
    // Exactly count bytes appended to out, or the reason there are not.
    Wait Fill(std::vector<std::uint8_t>& out, std::size_t count, SteadyClock::time_point deadline);
    // Reads and drops bytes until the line has been quiet for `quiet`, or
    // until `limit` has passed. Returns Closed or Cancelled when that ended it.
    Wait Drain(milliseconds quiet, milliseconds limit);

    bool Write(const std::uint8_t* data, std::size_t size) { return line_.Write(data, size); }
    bool Write(const std::vector<std::uint8_t>& data) { return line_.Write(data.data(), data.size()); }
    bool WriteByte(std::uint8_t byte) { return line_.Write(&byte, 1); }
    bool WriteRepeated(std::uint8_t byte, std::size_t count);

    bool Cancelled() const { return cancel_ && cancel_->load(); }
    bool Closed() const { return closed_; }

private:
    Wait Refill(SteadyClock::time_point deadline);

    ByteLine& line_;
    const std::atomic<bool>* cancel_;
    std::vector<std::uint8_t> buffer_;
    std::size_t position_ = 0;
    bool closed_ = false;
};

}  // namespace bayhaul::tether
