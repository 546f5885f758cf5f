// SHA-256 of bytes and of files: the fingerprint the terminal checks before
// it deletes its file, and the one the history keeps of each saved copy.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace bayhaul {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    void Add(const void* data, std::size_t size);
    // The digest of everything added; the object is spent afterwards.
    Sha256Digest Finish();

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t used_ = 0;      // bytes waiting in block_
    std::uint64_t length_ = 0;  // bytes added in all
};

// The digest and size of a regular file's content; nothing when it cannot
// be read whole.
struct FileFingerprint {
    std::uint64_t size = 0;
    Sha256Digest digest{};
};
std::optional<FileFingerprint> FingerprintOfFile(const std::string& path);

// 64 lower-case hexadecimal digits.
std::string HexOf(const Sha256Digest& digest);

}  // namespace bayhaul
