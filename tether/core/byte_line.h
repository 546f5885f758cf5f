// One bidirectional byte stream: a serial port, a pseudo-terminal, or a
// fake in tests. Everything that speaks the link protocol goes through it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bayhaul::tether {

enum class ReadStatus { Data, Timeout, Closed };

struct ReadResult {
    ReadStatus status = ReadStatus::Timeout;
    std::size_t count = 0;
};

class ByteLine {
public:
    virtual ~ByteLine() = default;
    // Waits at most timeoutMs for the first byte, then returns what is there
    // (up to max). Closed: the line hung up or failed.
    virtual ReadResult Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) = 0;
    // Writes everything; false when the line hung up or failed.
    virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace bayhaul::tether
