// What the durable file needs of the operating system: a handful of
// primitives, with one implementation per platform (file_platform_posix.cpp,
// file_platform_win32.cpp), which the build picks. The flow that makes a
// file durable is written once, over these, in durable_file.cpp. Private to
// files/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/durable_file.h"

namespace bayhaul::file_platform {

// An open file: a descriptor, or a HANDLE.
using Native = std::intptr_t;
inline constexpr Native kNone = -1;

// What is at a path now.
struct Existing {
    bool exists = false;
    bool regular = false;   // a regular file, not a folder or a device
    bool readOnly = false;  // carries the read-only mark
    unsigned mode = 0;      // its permission bits, where the platform has them
};
Existing Inspect(const std::string& path);

// Why the last primitive that failed on this thread failed, as a result
// for `what` ("cannot write FORM.DAT"): the system's words and their kind.
FileResult LastFailure(const std::string& what);

// Whether a file of that path may be made: its name and the whole path
// within the system's limits. False sets the last failure.
bool PathFits(const std::string& path);

// A new file without a name, in `folder`, where the file system can make
// one; kNone otherwise, with `refused` set only when the folder refused it
// (then the last failure says why).
Native CreateNameless(const std::string& folder, bool& refused);
// Gives the nameless file the name `path`; false when it cannot.
bool LinkNameless(Native file, const std::string& path);
// A new file at `path`, which must not exist yet (`existed` tells when it did).
Native CreateExclusive(const std::string& path, bool& existed);

// An existing file opened to write over it, or to flush it.
Native OpenToWrite(const std::string& path);
Native OpenToFlush(const std::string& path);

// A file of Bayhaul's own opened without following a symbolic link, to read
// it or to append to it (made when missing). kNone when it cannot be: then
// `obstacle` says what is at the path, or, when None, the last failure says
// why.
enum class Obstacle { None, Link, NotAFile };
Native OpenOwn(const std::string& path, bool append, Obstacle& obstacle);
std::optional<std::uint64_t> SizeOf(Native file);
// Up to `size` bytes from `offset`; false on failure.
bool ReadAt(Native file, std::uint64_t offset, void* data, std::size_t size, std::size_t& got);

bool Write(Native file, const void* data, std::size_t size);
// Cuts the file to `size` bytes and writes on from there.
bool Truncate(Native file, std::uint64_t size);
// The file's last byte, when it has one.
std::optional<char> LastByte(Native file);
// Gives the file the permission bits a file it replaces has.
bool TakeMode(Native file, const Existing& replaced);
// To the disk; true once it is there.
bool Flush(Native file);
bool Close(Native file);

// Renames `from` over `to` in one step, and makes the change durable.
bool RenameOver(const std::string& from, const std::string& to);
// True when the file is gone.
bool Remove(const std::string& path);

// The names in `folder` that begin with `prefix`.
std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix);

unsigned long ThisProcess();
// This computer's name as the system gives it.
std::string HostName();
// False only when no process of that number runs.
bool ProcessRuns(unsigned long process);
// When the process of that number started, in the system's own terms, so a
// number used again (or after a restart of the computer) is told apart; ""
// when it cannot be told.
std::string ProcessStart(unsigned long process);

// The first `maxBytes` of a regular file, opened without blocking.
std::optional<std::string> ReadRegular(const std::string& path, std::size_t maxBytes);
// The path a symbolic link leads to, followed to its end.
std::string FollowLinks(const std::string& path);

}  // namespace bayhaul::file_platform
