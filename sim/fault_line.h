// The simulator's side of the line with its faults and its timing: pacing
// at the line speed, latency, noise, and a stall or hang-up after a number
// of bytes of a file phase.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <random>

#include "sim/sim_options.h"
#include "tether/core/byte_line.h"

namespace bayhaul::sim {

class FaultLine : public tether::ByteLine {
public:
    // `lineSpeed` tells the speed the line is set to now, in bit/s.
    FaultLine(tether::ByteLine& inner, const SimOptions& options, std::function<int()> lineSpeed);

    tether::ReadResult Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) override;
    bool Write(const std::uint8_t* data, std::size_t size) override;

    // Counting for --stall-after and --hangup-after runs from here.
    void BeginFilePhase();
    void EndFilePhase() { inFilePhase_ = false; }
    bool HungUp() const { return hungUp_; }

private:
    bool WritePaced(const std::uint8_t* data, std::size_t size);

    tether::ByteLine& inner_;
    const SimOptions& options_;
    std::function<int()> lineSpeed_;
    std::mt19937 random_{std::random_device{}()};
    std::chrono::steady_clock::time_point nextSend_{};
    bool inFilePhase_ = false;
    std::int64_t sentInPhase_ = 0;
    bool hungUp_ = false;
};

}  // namespace bayhaul::sim
