// Helpers for YMODEM tests: a sink that keeps the file in memory and
// random file contents.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "tether/core/ymodem_receiver.h"

namespace bayhaul::tether::testing {

class MemorySink : public ymodem::ReceiveSink {
public:
    bool Announced(std::uint64_t size) override {
        announced = size;
        return true;
    }
    bool Append(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::uint64_t announced = 0;
    std::vector<std::uint8_t> bytes;
};

inline std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

}  // namespace bayhaul::tether::testing
