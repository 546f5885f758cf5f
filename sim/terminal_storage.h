// The simulated terminal's storage: the files in one folder (its data file
// is FORM.DAT there) and the clock setting, written to the file CLOCK.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "files/sha256.h"
#include "tether/core/ymodem_sender.h"

namespace bayhaul::sim {

enum class DeleteResult { Deleted, Absent, Changed, Failed };

class TerminalStorage {
public:
    explicit TerminalStorage(std::string dir) : dir_(std::move(dir)) {}

    // A name the terminal can hold: no path separator, not hidden, not empty.
    static bool IsPlainName(const std::string& name);

    std::optional<std::uint64_t> FileSize(const std::string& name) const;
    std::optional<FileFingerprint> Fingerprint(const std::string& name) const;
    // Rewrites the file in place to the same size, every byte inverted: a
    // terminal that took new records between two parts of a copy.
    bool Rewrite(const std::string& name) const;
    // The file opened for sending, its bytes read as they are sent; nothing
    // when there is no such regular file.
    std::shared_ptr<tether::ymodem::SendSource> Open(const std::string& name) const;
    DeleteResult Delete(const std::string& name) const;
    // Deletes the file only while it has this size and SHA-256; Changed when
    // it has not.
    DeleteResult DeleteIfSame(const std::string& name, std::uint64_t size, const Sha256Digest& digest) const;
    bool SetClock(const std::string& stamp) const;

private:
    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

}  // namespace bayhaul::sim
