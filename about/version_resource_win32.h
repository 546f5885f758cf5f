// Windows: the program's name and version from its own VERSIONINFO
// resource, so the About box shows what the file says of itself.
#pragma once

#include "about/about_texts.h"

#include <optional>
#include <string>

namespace bayhaul {

// The ProductName and the file version of the program at `path`: major and
// minor are its first two parts, revision its fourth (1.1.0.2 gives
// 1, 1 and 2). Nothing when the file has no readable version resource.
std::optional<BuildVersion> ReadVersionResource(const std::string& path);

// This program's own, or the build's when its file has none.
BuildVersion ThisProgramsVersion();

}  // namespace bayhaul
