// Bayhaul's own files (the history, the records of its unfinished files):
// never reached through a symbolic link, and only when they are regular
// files, so a link or a folder that takes such a name is refused with words
// instead of being written through or hanging a read. And who we are: this
// computer and this process, as our file names and records carry them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "files/durable_file.h"

namespace bayhaul {

// A regular file of ours opened to read in pieces, from anywhere in it.
class OwnFileReader {
public:
    // Nothing, with `result` saying why ("... is a symbolic link, which
    // Bayhaul does not follow"), when it cannot be opened.
    static std::unique_ptr<OwnFileReader> Open(const std::string& path, FileResult& result);
    ~OwnFileReader();
    OwnFileReader(const OwnFileReader&) = delete;
    OwnFileReader& operator=(const OwnFileReader&) = delete;

    // Its size now; nothing when it cannot be told, with LastFailure() saying why.
    std::optional<std::uint64_t> Size();
    // Up to `size` bytes from `offset` (fewer at the end); nothing on
    // failure, which LastFailure() then tells.
    std::optional<std::size_t> ReadAt(std::uint64_t offset, void* data, std::size_t size);
    const FileResult& LastFailure() const { return failure_; }

private:
    OwnFileReader(std::intptr_t file, std::string path) : file_(file), path_(std::move(path)) {}
    std::intptr_t file_;
    std::string path_;
    FileResult failure_;
};

// Appends `text` to the file of ours at `path` (made when missing, and
// then begun with `header`) in one write and flushes it to disk, for a log
// whose earlier lines must survive whatever happens to a later one. A last
// line that a crash cut short is ended first, so it cannot run into the new
// one.
FileResult AppendDurably(const std::string& path, const std::string& text, const std::string& header = "");

// This computer's name as our file names carry it: letters, digits, '-',
// '_' and '.', at most 64 of them; "pc" when the system names none.
std::string ThisHost();
unsigned long ThisProcess();
// False only when no process of that number runs on this computer.
bool ProcessRuns(unsigned long process);
// When the process of that number started, so that a number used again, or
// after a restart of the computer, is told apart; "" when it cannot be told.
std::string ProcessStart(unsigned long process);

}  // namespace bayhaul
