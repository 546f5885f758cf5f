// CRC-16/CCITT as YMODEM uses it: polynomial 0x1021, initial value 0,
// no reflection, no final XOR. Frames and blocks both use it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bayhaul::tether {

std::uint16_t Crc16(const std::uint8_t* data, std::size_t size, std::uint16_t crc = 0);

}  // namespace bayhaul::tether
