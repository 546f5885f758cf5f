#include "tether/core/ymodem.h"

#include <algorithm>
#include <cstring>

#include "tether/core/crc16.h"

namespace bayhaul::tether::ymodem {

std::vector<std::uint8_t> EncodeBlock(std::uint8_t number, const std::uint8_t* data, std::size_t size,
                                      std::size_t blockSize, std::uint8_t pad) {
    std::vector<std::uint8_t> block(3 + blockSize, pad);
    block[0] = blockSize == 1024 ? kStx : kSoh;
    block[1] = number;
    block[2] = static_cast<std::uint8_t>(255 - number);
    std::copy(data, data + std::min(size, blockSize), block.begin() + 3);
    const std::uint16_t crc = Crc16(block.data() + 3, blockSize);
    block.push_back(static_cast<std::uint8_t>(crc >> 8));
    block.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return block;
}

std::vector<std::uint8_t> EncodeHeaderBlock(const std::string& name, std::uint64_t size) {
    std::string text;
    if (!name.empty()) {
        text = name;
        text.push_back('\0');
        // Modification time 0 and the mode of a regular file: standard
        // receivers take a header without a mode for an old system's and
        // may change the name's case.
        text += std::to_string(size) + " 0 100644";
    }
    const std::size_t blockSize = text.size() < 128 ? 128 : 1024;
    return EncodeBlock(0, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), blockSize, 0);
}

std::optional<FileHeader> ParseHeaderBlock(const std::vector<std::uint8_t>& data) {
    const auto nameEnd = std::find(data.begin(), data.end(), 0);
    FileHeader header;
    header.name.assign(data.begin(), nameEnd);
    if (header.name.empty()) return header;
    if (nameEnd == data.end()) return std::nullopt;
    auto p = nameEnd + 1;
    if (p == data.end() || *p < '0' || *p > '9') return std::nullopt;
    for (; p != data.end() && *p >= '0' && *p <= '9'; ++p) {
        if (header.size > (UINT64_MAX - 9) / 10) return std::nullopt;
        header.size = header.size * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    if (p != data.end() && *p != ' ' && *p != 0) return std::nullopt;
    return header;
}

Block ReadBlock(LineReader& reader, SteadyClock::time_point deadline, milliseconds bodyLimit) {
    const auto asBlock = [](Wait w, BlockKind quiet) {
        switch (w) {
            case Wait::Closed:
                return Block{BlockKind::Closed, 0, {}};
            case Wait::Cancelled:
                return Block{BlockKind::Cancelled, 0, {}};
            default:
                return Block{quiet, 0, {}};
        }
    };
    std::uint8_t first = 0;
    Wait w = reader.Next(first, deadline);
    if (w != Wait::Byte) return asBlock(w, BlockKind::Timeout);
    if (first == kEot) return {BlockKind::Eot, 0, {}};
    const auto bodyDeadline = SteadyClock::now() + bodyLimit;
    if (first == kCan) {
        std::uint8_t second = 0;
        w = reader.Next(second, bodyDeadline);
        if (w != Wait::Byte) return asBlock(w, BlockKind::Corrupt);
        return {second == kCan ? BlockKind::Cancel : BlockKind::Corrupt, 0, {}};
    }
    if (first != kSoh && first != kStx) return {BlockKind::Corrupt, 0, {}};
    const std::size_t size = first == kStx ? 1024 : 128;
    std::vector<std::uint8_t> rest;
    rest.reserve(size + 4);
    // The number pair first: a stray SOH or STX in damaged data is told from
    // a block at once, before up to 1027 bytes of what follows are taken.
    w = reader.Fill(rest, 2, bodyDeadline);
    if (w != Wait::Byte) return asBlock(w, BlockKind::Incomplete);
    const std::uint8_t number = rest[0];
    if (static_cast<std::uint8_t>(number + rest[1]) != 0xFF) return {BlockKind::Corrupt, 0, {}};
    w = reader.Fill(rest, size + 2, bodyDeadline);
    if (w != Wait::Byte) return asBlock(w, BlockKind::Incomplete);
    const std::uint16_t crc = Crc16(rest.data() + 2, size);
    const std::uint16_t sent = static_cast<std::uint16_t>((rest[size + 2] << 8) | rest[size + 3]);
    if (crc != sent) return {BlockKind::Corrupt, 0, {}};
    return {BlockKind::Block, number,
            std::vector<std::uint8_t>(rest.begin() + 2, rest.begin() + 2 + static_cast<long>(size))};
}

}  // namespace bayhaul::tether::ymodem
