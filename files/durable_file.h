// Writing a file so that it is never seen half written, and reading a small
// one safely. The program's settings, the terminal library's received file
// and the simulator's storage all write through here.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace bayhaul {

// What kind of failure a file operation met, for callers that put it in
// words of their own; the system's reason stays in FileResult::error.
enum class FileProblem {
    None,
    NoPermission,  // the user may not write there
    ReadOnly,      // the file system is read-only
    DiskFull,      // no space left (or the user's quota is used up)
    PathTooLong,   // a name or the whole path is longer than the system allows
    InTheWay,      // the target is not a regular file, or carries the read-only mark
    Other,
};

struct FileResult {
    bool ok = true;
    std::string error;  // the path and the system's reason; empty when ok
    FileProblem problem = FileProblem::None;
};

// A new file written beside its target and put in the target's place in one
// step once complete, so that the target holds either its old content or
// the whole new one. Until Commit the target is untouched; a file never
// committed is removed when this goes. Where the file system allows, the new
// file has no name at all until Commit, so not even a killed process leaves
// it behind; elsewhere it is named "<target>.new-<host>-<process>-<n>",
// and such files of this computer's processes that no longer run are
// removed by the next Create for the same target. A file of another
// computer's process (the folder is shared) is never judged from here.
//
// The new file gets the permission bits of the file it replaces, otherwise
// 0666 less the umask. A target that exists but is not a regular file, or
// that its owner may not write (the read-only mark), is refused.
class DurableFile {
public:
    // Nothing, with `result` saying why, when the target is refused or the
    // new file cannot be made.
    static std::unique_ptr<DurableFile> Create(const std::string& target, FileResult& result);
    ~DurableFile();
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    // False on failure, which LastFailure() then tells.
    bool Append(const void* data, std::size_t size);
    // Empties the new file for a fresh attempt; false as Append.
    bool Restart();
    const FileResult& LastFailure() const { return failure_; }
    // Flushes the new file to disk, renames it over the target and flushes
    // the folder, so the change survives a power cut.
    FileResult Commit();

private:
    struct Handle;
    DurableFile(std::unique_ptr<Handle> handle, std::string temp, std::string target);

    std::unique_ptr<Handle> handle_;
    std::string temp_;
    std::string target_;
    bool committed_ = false;
    FileResult failure_;
};

// Removes the temporary files of `target` that processes of this computer
// which no longer run left behind (killed before they could clean up); how
// many it removed.
std::size_t RemoveAbandonedTemporaries(const std::string& target);

// Writes `content` to `path` through a DurableFile.
FileResult ReplaceFileContent(const std::string& path, const std::string& content);

// Copies the file `from` to `to` through a DurableFile.
FileResult CopyFileDurably(const std::string& from, const std::string& to);

// Puts the complete file `from` in the place of `to` in the same way:
// flushed first, given the permission bits of the file it replaces, renamed,
// the folder flushed. The same targets are refused; on any failure `from`
// stays where it was.
FileResult MoveFileOver(const std::string& from, const std::string& to);

// Rewrites an existing regular file in place, for a file whose folder may
// not be written: not atomic, so only for when nothing better is possible.
FileResult OverwriteInPlace(const std::string& path, const std::string& content);

// The path a symbolic link leads to, followed to its end (relative links
// from the link's own folder); `path` itself when it is no link.
std::string FinalPath(const std::string& path);

// The first `maxBytes` of a regular file, opened without blocking; nothing
// for anything else (a missing file, a folder, a FIFO, a device).
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace bayhaul
