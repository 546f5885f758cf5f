// Request and answer types of the request phase and the helpers that build
// and read their payloads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bayhaul::tether {

namespace msg {
constexpr std::uint8_t kIdentify = 0x01;
constexpr std::uint8_t kQueryFile = 0x02;
constexpr std::uint8_t kSendFile = 0x03;
constexpr std::uint8_t kDeleteFile = 0x04;
constexpr std::uint8_t kSetClock = 0x05;
// Version 2: send a file from an offset on (4 bytes, then the name), to
// resume after an error without sending again what arrived.
constexpr std::uint8_t kSendFrom = 0x06;
// Version 3: delete a file only while it is the one the PC holds: its size
// (4 bytes), its SHA-256 (32 bytes), then the name.
constexpr std::uint8_t kDeleteIfSame = 0x07;
constexpr std::uint8_t kAnswerBit = 0x80;
constexpr std::uint8_t kRefused = 0xFF;

// The one byte of the answer to a delete.
constexpr std::uint8_t kNothingToDelete = 0;
constexpr std::uint8_t kDeleted = 1;
constexpr std::uint8_t kKeptChanged = 2;  // kDeleteIfSame only: the file differs

constexpr std::uint8_t kProtocolVersion = 3;
constexpr std::uint8_t kResumeVersion = 2;        // the first version that knows kSendFrom
constexpr std::uint8_t kDeleteIfSameVersion = 3;  // the first version that knows kDeleteIfSame
// The first version whose file status adds the file's SHA-256 (32 bytes)
// after its size, so the PC checks its copy whole against the terminal's.
constexpr std::uint8_t kFileDigestVersion = 3;
}  // namespace msg

// The line speed a link setting names: "8" is 115200 bit/s, "9" 9600.
constexpr int BitsPerSecondFor(char setting) {
    return setting == '8' ? 115200 : 9600;
}

enum class Refusal : std::uint8_t { UnknownRequest = 1, Malformed = 2, NoSuchFile = 3, StorageError = 4 };

constexpr std::uint8_t AnswerType(std::uint8_t requestType) {
    return requestType | msg::kAnswerBit;
}

std::vector<std::uint8_t> BytesOf(const std::string& text);
std::string TextOf(const std::vector<std::uint8_t>& bytes);

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t value);
// The big-endian number at offset, if the payload is long enough.
std::optional<std::uint32_t> ReadU32(const std::vector<std::uint8_t>& in, std::size_t offset);

// "YYYYMMDDhhmmss" naming a real date and time (1 <= month <= 12, the day
// within its month, leap years counted, 00:00:00 to 23:59:59).
bool IsValidClockText(const std::string& text);

}  // namespace bayhaul::tether
