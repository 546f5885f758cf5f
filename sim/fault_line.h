// The simulator's own side of the line: a stall or a hang-up after a number
// of bytes of a file phase, one corrupted byte and one rewrite of the file
// being sent in a connection's first file phase, and a write-ahead no longer than a UART's when the line is paced (a
// write returns once nearly all of it is on the line).
#pragma once

#include <cstdint>
#include <functional>

#include "sim/sim_options.h"
#include "tether/core/byte_line.h"

namespace bayhaul::sim {

class FaultLine : public tether::ByteLine {
public:
    // `takenByLine` tells how many of the bytes written here the line has
    // taken so far; empty when the line is not paced.
    // `rewrite` changes the file being sent, for --rewrite-at.
    FaultLine(tether::ByteLine& inner, const SimOptions& options, std::function<std::uint64_t()> takenByLine,
              std::function<void()> rewrite);

    tether::ReadResult Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) override {
        return inner_.Read(buffer, max, timeoutMs);
    }
    bool Write(const std::uint8_t* data, std::size_t size) override;

    // Counting for --stall-after and --hangup-after runs from here.
    void BeginFilePhase();
    void EndFilePhase() { inFilePhase_ = false; }
    bool HungUp() const { return hungUp_; }

private:
    void AwaitLine() const;

    tether::ByteLine& inner_;
    const SimOptions& options_;
    std::function<std::uint64_t()> takenByLine_;
    std::function<void()> rewrite_;
    std::uint64_t written_ = 0;
    bool inFilePhase_ = false;
    int phases_ = 0;  // file phases begun on this connection
    std::int64_t sentInPhase_ = 0;
    bool hungUp_ = false;
};

}  // namespace bayhaul::sim
