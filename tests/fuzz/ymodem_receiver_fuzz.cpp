// The YMODEM receiver against a sender that says whatever the input says.
// The first byte picks the mode (low bit set: acknowledged 'C', else
// streaming 'G') and how many bytes each read of the line returns (the
// other seven bits, plus one), so blocks split across reads anywhere. The
// rest is what the line delivers; then it hangs up. The receiver must end,
// keep no byte past the announced size, and report a complete file only
// when it holds exactly that size.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "fuzz_check.h"
#include "tether/core/byte_line.h"
#include "tether/core/line_reader.h"
#include "tether/core/ymodem_receiver.h"

using bayhaul::fuzz::Require;
namespace tether = bayhaul::tether;
namespace ymodem = bayhaul::tether::ymodem;

namespace {

// Serves the input in fixed-size reads without ever falling silent, then
// reports the line closed; what the receiver writes is accepted until then.
class ScriptedLine : public tether::ByteLine {
public:
    ScriptedLine(const std::uint8_t* data, std::size_t size, std::size_t chunk)
        : data_(data), size_(size), chunk_(chunk) {}

    tether::ReadResult Read(std::uint8_t* buffer, std::size_t max, int) override {
        if (position_ == size_) {
            closed_ = true;
            return {tether::ReadStatus::Closed, 0};
        }
        const std::size_t count = std::min({max, chunk_, size_ - position_});
        std::memcpy(buffer, data_ + position_, count);
        position_ += count;
        return {tether::ReadStatus::Data, count};
    }

    bool Write(const std::uint8_t*, std::size_t) override { return !closed_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t chunk_;
    std::size_t position_ = 0;
    bool closed_ = false;
};

class CountingSink : public ymodem::ReceiveSink {
public:
    bool Announced(std::uint64_t size) override {
        Require(!announced, "block 0 is announced once");
        announced = size;
        return true;
    }
    bool Append(const std::uint8_t*, std::size_t size) override {
        stored += size;
        return true;
    }

    std::optional<std::uint64_t> announced;
    std::uint64_t stored = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    ScriptedLine line(data + 1, size - 1, (data[0] >> 1) + 1u);
    tether::LineReader reader(line);
    ymodem::ReceiveOptions options;
    options.startChar = (data[0] & 1) ? ymodem::kCrcMode : ymodem::kStreamMode;
    options.idleLimit = std::chrono::milliseconds(50);
    CountingSink sink;

    const ymodem::ReceiveResult result = ymodem::ReceiveFile(reader, sink, options);

    Require(sink.stored == result.received, "every byte counted as received was stored");
    Require(!sink.announced || *sink.announced == result.header.size, "the size announced is the size reported");
    Require(result.received <= result.header.size, "nothing kept past the announced size");
    if (result.outcome == ymodem::ReceiveOutcome::Complete) {
        Require(sink.announced && result.received == result.header.size, "a complete file has its announced size");
    }
    return 0;
}
