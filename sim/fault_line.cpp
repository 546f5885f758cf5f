#include "sim/fault_line.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace bayhaul::sim {

using SteadyClock = std::chrono::steady_clock;

namespace {
constexpr std::size_t kPaceChunk = 8;  // bytes written at once when pacing
}

FaultLine::FaultLine(tether::ByteLine& inner, const SimOptions& options, std::function<int()> lineSpeed)
    : inner_(inner), options_(options), lineSpeed_(std::move(lineSpeed)) {}

tether::ReadResult FaultLine::Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) {
    const tether::ReadResult got = inner_.Read(buffer, max, timeoutMs);
    if (got.status == tether::ReadStatus::Data && options_.latencyMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options_.latencyMs));
    }
    return got;
}

void FaultLine::BeginFilePhase() {
    inFilePhase_ = true;
    sentInPhase_ = 0;
}

bool FaultLine::Write(const std::uint8_t* data, std::size_t size) {
    if (hungUp_) return false;
    std::size_t allowed = size;
    std::int64_t limit = -1;
    if (inFilePhase_) {
        limit = options_.hangupAfter >= 0 ? options_.hangupAfter : options_.stallAfter;
        if (limit >= 0) allowed = static_cast<std::size_t>(std::clamp<std::int64_t>(limit - sentInPhase_, 0, size));
        sentInPhase_ += static_cast<std::int64_t>(size);
    }
    std::vector<std::uint8_t> bytes(data, data + allowed);
    if (options_.noise > 0) {
        std::bernoulli_distribution corrupt(options_.noise);
        std::uniform_int_distribution<int> flip(1, 255);
        for (auto& b : bytes) {
            if (corrupt(random_)) b = static_cast<std::uint8_t>(b ^ flip(random_));
        }
    }
    if (!WritePaced(bytes.data(), bytes.size())) return false;
    if (allowed < size && options_.hangupAfter >= 0) {
        hungUp_ = true;
        return false;
    }
    return true;  // a stalled line swallows the rest without a sign
}

bool FaultLine::WritePaced(const std::uint8_t* data, std::size_t size) {
    if (!options_.pace) return inner_.Write(data, size);
    const int speed = std::max(lineSpeed_(), 300);
    nextSend_ = std::max(nextSend_, SteadyClock::now());
    for (std::size_t at = 0; at < size; at += kPaceChunk) {
        const std::size_t chunk = std::min(kPaceChunk, size - at);
        std::this_thread::sleep_until(nextSend_);
        if (!inner_.Write(data + at, chunk)) return false;
        nextSend_ += std::chrono::microseconds(chunk * 10 * 1000000 / static_cast<std::size_t>(speed));
    }
    return true;
}

}  // namespace bayhaul::sim
