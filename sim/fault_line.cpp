#include "sim/fault_line.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace bayhaul::sim {

namespace {
constexpr std::uint64_t kWriteAhead = 64;  // bytes a UART's transmit buffer holds
}

FaultLine::FaultLine(tether::ByteLine& inner, const SimOptions& options, std::function<std::uint64_t()> takenByLine,
                     std::function<void()> rewrite)
    : inner_(inner), options_(options), takenByLine_(std::move(takenByLine)), rewrite_(std::move(rewrite)) {}

void FaultLine::BeginFilePhase() {
    inFilePhase_ = true;
    ++phases_;
    sentInPhase_ = 0;
}

bool FaultLine::Write(const std::uint8_t* data, std::size_t size) {
    if (hungUp_) return false;
    std::size_t allowed = size;
    std::vector<std::uint8_t> bytes(data, data + size);
    if (inFilePhase_) {
        const std::int64_t limit = options_.hangupAfter >= 0 ? options_.hangupAfter : options_.stallAfter;
        if (limit >= 0) allowed = static_cast<std::size_t>(std::clamp<std::int64_t>(limit - sentInPhase_, 0, size));
        const std::int64_t corrupt = options_.corruptAt - sentInPhase_;
        if (phases_ == 1 && corrupt >= 0 && corrupt < static_cast<std::int64_t>(size)) bytes[corrupt] ^= 0x5A;
        const std::int64_t rewrite = options_.rewriteAt - sentInPhase_;
        if (phases_ == 1 && rewrite >= 0 && rewrite < static_cast<std::int64_t>(size) && rewrite_) rewrite_();
        sentInPhase_ += static_cast<std::int64_t>(size);
    }
    if (allowed > 0 && !inner_.Write(bytes.data(), allowed)) return false;
    written_ += allowed;
    AwaitLine();
    if (allowed < size && options_.hangupAfter >= 0) {
        hungUp_ = true;
        return false;
    }
    return true;  // a stalled line swallows the rest without a sign
}

void FaultLine::AwaitLine() const {
    if (!takenByLine_) return;
    while (written_ > takenByLine_() + kWriteAhead) std::this_thread::sleep_for(std::chrono::microseconds(200));
}

}  // namespace bayhaul::sim
