// YMODEM building blocks shared by the sender and the receiver: control
// bytes, block encoding, block 0 (name and size) and reading one block.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tether/core/line_reader.h"

namespace bayhaul::tether::ymodem {

constexpr std::uint8_t kSoh = 0x01;  // 128-byte block
constexpr std::uint8_t kStx = 0x02;  // 1024-byte block
constexpr std::uint8_t kEot = 0x04;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kCan = 0x18;
constexpr std::uint8_t kPad = 0x1A;
constexpr std::uint8_t kCrcMode = 'C';
constexpr std::uint8_t kStreamMode = 'G';
// Ours, for terminals of protocol version 2: acknowledged blocks with up to
// kWindowBlocks of them on the line before their ACKs. Every ACK and NAK of
// a data block is followed by a block number: ACK n, everything up to n has
// arrived; NAK e, send again from block e on.
constexpr std::uint8_t kWindowMode = 'W';
constexpr std::size_t kWindowBlocks = 2;  // enough to keep the line busy over a round trip
constexpr std::size_t kCancelCount = 5;

// SOH or STX, n, 255-n, data padded with kPad (or NUL for block 0), CRC-16.
std::vector<std::uint8_t> EncodeBlock(std::uint8_t number, const std::uint8_t* data, std::size_t size,
                                      std::size_t blockSize, std::uint8_t pad = kPad);

// Block 0 for a file: name, NUL, decimal size, " 0 100644" (time and mode,
// octal); an empty name ends the batch.
std::vector<std::uint8_t> EncodeHeaderBlock(const std::string& name, std::uint64_t size);

struct FileHeader {
    std::string name;  // empty: end of batch
    std::uint64_t size = 0;
};
// Reads block 0's data; nullopt when the size is missing or malformed.
std::optional<FileHeader> ParseHeaderBlock(const std::vector<std::uint8_t>& data);

enum class BlockKind {
    Block,  // a block with a good header and CRC
    Eot,
    Cancel,      // two CAN in a row
    Corrupt,     // bad start byte, block number pair or CRC
    Incomplete,  // the line went quiet within a block
    Timeout,     // nothing arrived before the deadline
    Closed,
    Cancelled,  // our own cancel flag
};

struct Block {
    BlockKind kind = BlockKind::Timeout;
    std::uint8_t number = 0;
    std::vector<std::uint8_t> data;
};

// Waits for the start of a block until `deadline`; the rest of a block must
// follow within `bodyLimit`.
Block ReadBlock(LineReader& reader, SteadyClock::time_point deadline, milliseconds bodyLimit);

}  // namespace bayhaul::tether::ymodem
