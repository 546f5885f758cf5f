// The file a transfer writes: a temporary file beside the target, renamed
// onto the target only when complete and flushed, removed otherwise. So a
// failed transfer never leaves a partial file at the target path, and a file
// already there stays until its replacement is complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tether/core/ymodem_receiver.h"

namespace bayhaul::tether {

class LocalFile : public ymodem::ReceiveSink {
public:
    // nullptr when the temporary file cannot be created.
    static std::unique_ptr<LocalFile> Create(const std::string& target);
    ~LocalFile() override;  // removes the temporary file unless committed

    // Empties the file for a fresh attempt.
    bool Restart();
    void Announced(std::uint64_t) override {}
    bool Append(const std::uint8_t* data, std::size_t size) override;
    // Flushes to disk and renames onto the target.
    bool Commit();

private:
    LocalFile(int fd, std::string tempPath, std::string target)
        : fd_(fd), tempPath_(std::move(tempPath)), target_(std::move(target)) {}

    int fd_;
    std::string tempPath_;
    std::string target_;
    bool committed_ = false;
};

}  // namespace bayhaul::tether
