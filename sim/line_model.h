// A serial line between two byte streams, as a real one behaves: in each
// direction one byte at a time at the line's speed (10 bits a byte) on a
// fixed schedule, so that time lost to a late wake-up is made up rather
// than forgiven; every byte arrives a latency after its last bit was sent;
// and a fraction of the bytes is corrupted. Like a serial port's driver it
// holds up to 4 KiB that wait for the line, so a sender that writes ahead is
// held back once that is full, and a late wake-up of the model delays a
// delivery but never the schedule. Bytes reach the receiver in bursts of up
// to 8, or after 4 byte times of quiet, as a UART's receive FIFO gives them.
//
// The simulator puts it between itself and its pseudo-terminal; the link
// benchmark puts it between two pseudo-terminals for other programs, so
// every stack is measured on the same line.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace bayhaul::sim {

struct LineModelOptions {
    // The line's speed in bit/s, asked as it goes; 0 sends without pacing.
    std::function<int()> bitsPerSecond = [] { return 0; };
    std::chrono::microseconds latency{0};  // each way
    double noise = 0;                      // fraction of bytes corrupted, each way
    unsigned seed = 1;
};

class LineModel {
public:
    // Carries bytes both ways between the two descriptors (which stay
    // theirs) until destroyed.
    LineModel(int fdA, int fdB, const LineModelOptions& options);
    ~LineModel();
    LineModel(const LineModel&) = delete;
    LineModel& operator=(const LineModel&) = delete;

    // Bytes from A whose sending has begun. A sender in this process
    // compares it with what it wrote to keep its write-ahead to a UART's.
    std::uint64_t SentFromA() const { return sentFromA_.load(); }

private:
    void Carry(int from, int to, std::atomic<std::uint64_t>* sent, unsigned seed);

    LineModelOptions options_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> sentFromA_{0};
    std::thread aToB_;
    std::thread bToA_;
};

}  // namespace bayhaul::sim
