// Replacing a small file's content so that it is never seen half written.
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

}  // namespace bayhaul
