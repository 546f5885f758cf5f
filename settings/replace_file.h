// Replacing a file so that it is never seen half written.
#pragma once

#include <string>

namespace bayhaul {

struct ReplaceFileResult {
    bool ok = true;
    std::string error;
};

// Writes `content` to a new file beside `path`, flushes it to disk and
// renames it over `path`. An existing file whose owner may not write it
// (the read-only mark) is left alone and reported. On any failure the old
// file is untouched and no temporary file is left behind.
ReplaceFileResult ReplaceFileContent(const std::string& path, const std::string& content);

// Puts the complete file `from` in the place of `to` in one step (a rename
// within one folder), keeping the permission bits of the file it replaces.
// A `to` that is not a regular file, or is read-only, is left alone and
// reported; so is any failure, and `from` then stays where it was.
ReplaceFileResult MoveFileOver(const std::string& from, const std::string& to);

}  // namespace bayhaul
