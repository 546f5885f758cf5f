// Sends one file over YMODEM to a receiver that has already sent its start
// character ('C' for acknowledged blocks, 'G' for streaming).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tether/core/line_reader.h"

namespace bayhaul::tether::ymodem {

enum class SendOutcome {
    Sent,
    Cancelled,  // the receiver sent CAN CAN
    NoAnswer,   // 10 s without an answer, or too many tries of one block
    LineLost,
    ReadFailed,  // the file's bytes could not be read; the receiver was cancelled
};

// Where the sender takes the file's bytes from, as it needs them.
class SendSource {
public:
    virtual ~SendSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies `count` bytes from `offset` into `out`; false when they cannot be read.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) = 0;
};

// A file held in memory.
class MemorySource final : public SendSource {
public:
    explicit MemorySource(const std::vector<std::uint8_t>& data) : data_(data) {}
    std::uint64_t Size() const override { return data_.size(); }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override;

private:
    const std::vector<std::uint8_t>& data_;
};

// How the sender picks its block size, so that it follows the line: 1024-
// byte blocks while the line is clean; after an error (a NAK, or a phase
// that resumes after one) 128-byte blocks, which an error costs less, until
// a run of clean blocks has gone through; then 1024 again. The run is
// kCleanRun blocks; each time a large block fails right after such a
// return it doubles (up to kLongestRun), and kCleanRun large blocks that
// go through bring it back to kCleanRun.
class BlockSizeRule {
public:
    static constexpr int kCleanRun = 16;
    static constexpr int kLongestRun = 512;
    enum class Choice { Follow, Always1024, Always128 };

    explicit BlockSizeRule(bool afterError = false, Choice choice = Choice::Follow);
    std::size_t Size() const;
    void Error();
    void Delivered();

private:
    Choice choice_;
    bool small_;
    int clean_ = 0;           // blocks through in a row, of the size in use
    int needed_ = kCleanRun;  // small blocks through before large ones again
    bool returned_ = false;   // back to large blocks, not yet kCleanRun of them through
};

struct SendOptions {
    std::uint64_t offset = 0;  // the first byte to send; the receiver holds those before it
    bool afterError = false;   // the phase follows an error: start with small blocks
    BlockSizeRule::Choice blocks = BlockSizeRule::Choice::Follow;
    // The line's speed, when known: an answer is then awaited only as long
    // as a few blocks take on it, so a lost ACK or NAK costs little.
    int bitsPerSecond = 0;
};

struct SendResult {
    SendOutcome outcome = SendOutcome::NoAnswer;
    std::uint64_t dataSent = 0;  // offset of the first file byte not yet sent
};

// Waits until `deadline` for the receiver's start character. Returns 'C' or
// 'G', kCan when the receiver sent CAN CAN, or 0 when nothing came (or the
// line closed); other bytes are skipped.
std::uint8_t AwaitStart(LineReader& reader, SteadyClock::time_point deadline);

// Sends the file from `options.offset` on; block 0 announces its whole size.
SendResult SendFile(LineReader& reader, std::uint8_t startChar, const std::string& name, SendSource& source,
                    const SendOptions& options = {});

}  // namespace bayhaul::tether::ymodem
