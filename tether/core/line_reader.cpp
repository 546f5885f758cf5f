#include "tether/core/line_reader.h"

#include <algorithm>

namespace bayhaul::tether {
namespace {
constexpr int kSliceMs = 50;  // longest wait between two looks at the cancel flag
}

Wait LineReader::Refill(SteadyClock::time_point deadline) {
    buffer_.resize(4096);
    position_ = 0;
    for (;;) {
        if (closed_) {
            buffer_.clear();
            return Wait::Closed;
        }
        if (Cancelled()) {
            buffer_.clear();
            return Wait::Cancelled;
        }
        // Rounded up, so a wait never ends before its deadline.
        const auto left = std::chrono::ceil<milliseconds>(deadline - SteadyClock::now()).count();
        const int wait = static_cast<int>(std::clamp<long long>(left, 0, kSliceMs));
        const ReadResult got = line_.Read(buffer_.data(), buffer_.size(), wait);
        if (got.status == ReadStatus::Closed) {
            closed_ = true;
            continue;
        }
        if (got.status == ReadStatus::Data && got.count > 0) {
            buffer_.resize(got.count);
            return Wait::Byte;
        }
        if (left <= 0) {
            buffer_.clear();
            return Wait::Timeout;
        }
    }
}

Wait LineReader::Next(std::uint8_t& byte, SteadyClock::time_point deadline) {
    if (Cancelled()) return Wait::Cancelled;
    if (SteadyClock::now() >= deadline) return Wait::Timeout;
    if (position_ >= buffer_.size()) {
        const Wait w = Refill(deadline);
        if (w != Wait::Byte) return w;
    }
    byte = buffer_[position_++];
    return Wait::Byte;
}

bool LineReader::NextWaiting(std::uint8_t& byte) {
    if (position_ >= buffer_.size() && Refill(SteadyClock::now()) != Wait::Byte) return false;
    byte = buffer_[position_++];
    return true;
}

Wait LineReader::Fill(std::vector<std::uint8_t>& out, std::size_t count, SteadyClock::time_point deadline) {
    while (count > 0) {
        if (Cancelled()) return Wait::Cancelled;
        if (SteadyClock::now() >= deadline) return Wait::Timeout;
        if (position_ >= buffer_.size()) {
            const Wait w = Refill(deadline);
            if (w != Wait::Byte) return w;
        }
        const std::size_t take = std::min(count, buffer_.size() - position_);
        out.insert(out.end(), buffer_.begin() + static_cast<long>(position_),
                   buffer_.begin() + static_cast<long>(position_ + take));
        position_ += take;
        count -= take;
    }
    return Wait::Byte;
}

Wait LineReader::Drain(milliseconds quiet, milliseconds limit) {
    const auto end = SteadyClock::now() + limit;
    position_ = buffer_.size();
    for (;;) {
        const auto deadline = std::min(SteadyClock::now() + quiet, end);
        const Wait w = Refill(deadline);
        position_ = buffer_.size();
        if (w == Wait::Closed || w == Wait::Cancelled) return w;
        if (w == Wait::Timeout || SteadyClock::now() >= end) return Wait::Timeout;
    }
}

bool LineReader::WriteRepeated(std::uint8_t byte, std::size_t count) {
    const std::vector<std::uint8_t> bytes(count, byte);
    return Write(bytes);
}

}  // namespace bayhaul::tether
