// Block 0's parser over arbitrary block data. A header it accepts names
// the bytes before the first NUL, and encoding that header again must
// parse back to the same name and size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "tether/core/ymodem.h"

using bayhaul::fuzz::Require;
namespace ymodem = bayhaul::tether::ymodem;

namespace {
// Longest name whose header (name, NUL, 20 digits, " 0 100644") still fits
// one 1024-byte block.
constexpr std::size_t kLongestEncodableName = 1024 - 1 - 20 - 9;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> block(data, data + size);
    const auto header = ymodem::ParseHeaderBlock(block);
    if (!header) return 0;
    Require(header->name.find('\0') == std::string::npos, "the name stops at the first NUL");
    const std::size_t length = header->name.size();
    Require(length <= block.size() && std::string(block.begin(), block.begin() + length) == header->name,
            "the name is the start of the block");
    if (header->name.empty()) {
        Require(header->size == 0, "the end of a batch has no size");
        return 0;
    }
    if (header->name.size() > kLongestEncodableName) return 0;

    const auto encoded = ymodem::EncodeHeaderBlock(header->name, header->size);
    const auto again = ymodem::ParseHeaderBlock(std::vector<std::uint8_t>(encoded.begin() + 3, encoded.end() - 2));
    Require(again && again->name == header->name && again->size == header->size,
            "an accepted header survives encoding and parsing again");
    return 0;
}
