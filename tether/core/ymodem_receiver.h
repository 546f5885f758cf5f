// Receives one file over YMODEM, either streamed (start character 'G', no
// acknowledgements) or with acknowledged blocks ('C'). The caller decides
// what to do after a streaming error (ours starts again in 'C' mode).
#pragma once

#include <cstdint>
#include <string>

#include "tether/core/line_reader.h"
#include "tether/core/ymodem.h"

namespace bayhaul::tether::ymodem {

class ReceiveSink {
public:
    virtual ~ReceiveSink() = default;
    // Block 0 arrived, announcing the file's size.
    virtual void Announced(std::uint64_t size) = 0;
    // The next bytes of the file; false when they could not be stored.
    virtual bool Append(const std::uint8_t* data, std::size_t size) = 0;
};

enum class ReceiveOutcome {
    Complete,
    StreamError,  // a bad block in streaming mode; the sender was cancelled
    TimedOut,     // no valid data within the idle limit
    LineLost,
    ProtocolError,  // block sequence lost, malformed block 0, no file offered
    SenderCancelled,
    SizeMismatch,  // the file ended before its announced size
    SinkFailed,
    Cancelled,  // our own cancel flag
};

struct ReceiveOptions {
    std::uint8_t startChar = 'G';
    milliseconds idleLimit{5000};
    // Silence that marks the end of a damaged block before it is NAKed:
    // longer than any gap within a block at the line's speed.
    milliseconds quietGap{10};
};

// 10 ms, or the time 32 bytes take at the given speed if that is longer.
milliseconds QuietGapFor(int bitsPerSecond);

struct ReceiveResult {
    ReceiveOutcome outcome = ReceiveOutcome::ProtocolError;
    FileHeader header;
    std::uint64_t received = 0;
};

ReceiveResult ReceiveFile(LineReader& reader, ReceiveSink& sink, const ReceiveOptions& options);

}  // namespace bayhaul::tether::ymodem
