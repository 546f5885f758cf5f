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
    // Block 0 arrived, announcing the file's size; false refuses the file.
    virtual bool Announced(std::uint64_t size) = 0;
    // The next bytes of the file; false when they could not be stored.
    virtual bool Append(const std::uint8_t* data, std::size_t size) = 0;
};

enum class ReceiveOutcome {
    Complete,
    StreamError,  // a bad block in streaming mode; the sender was cancelled
    TimedOut,     // no valid data within the idle limit, or the file phase took too long
    LineLost,
    ProtocolError,  // block sequence lost, data past the size, malformed or refused block 0
    SenderCancelled,
    SizeMismatch,  // the file ended before its announced size
    SinkFailed,
    Cancelled,  // our own cancel flag
};

struct ReceiveOptions {
    std::uint8_t startChar = 'G';
    int bitsPerSecond = 115200;  // the line's speed, for the limits that follow from it
    milliseconds idleLimit{5000};
    // A phase that resumes a file: the bytes before this the sink holds
    // already, and the sender sends the rest.
    std::uint64_t offset = 0;
    // The end of the file phase that this one resumes, which it keeps.
    SteadyClock::time_point deadline = SteadyClock::time_point::max();
};

// Silence that marks the end of a damaged block before it is NAKed: 10 ms,
// or the time 32 bytes take at the line's speed if that is longer.
milliseconds QuietGapFor(int bitsPerSecond);

// The longest a file phase may run once block 0 has arrived: twice the
// time the file takes on the line in 128-byte blocks (133 bytes each on the
// line), plus the idle limit. Every file phase ends within this, whatever
// the sender does.
milliseconds FilePhaseLimit(std::uint64_t size, int bitsPerSecond, milliseconds idleLimit);

struct ReceiveResult {
    ReceiveOutcome outcome = ReceiveOutcome::ProtocolError;
    FileHeader header;
    std::uint64_t received = 0;  // bytes of the file the sink holds, those before the offset included
    int damaged = 0;             // blocks that arrived damaged
    // When the file phase must end, once block 0 has set it; a phase that
    // resumes this one passes it on.
    SteadyClock::time_point deadline = SteadyClock::time_point::max();
};

ReceiveResult ReceiveFile(LineReader& reader, ReceiveSink& sink, const ReceiveOptions& options);

}  // namespace bayhaul::tether::ymodem
