// The file-system path of a shell special folder.
#pragma once

#include <string>

namespace bayhaul {

// `CSIDL` 5 is the user's documents folder, 16 the desktop folder. Returns
// the path of an existing folder without a trailing separator, or "" for
// any other identifier or a folder that cannot be resolved. Nothing is
// cached: every call asks the platform afresh.
std::string fGetSpecialFolder(int CSIDL);

// Where that folder is, or would be: the path the platform names for it
// whether or not it exists, so a missing one can be named to the user.
// "" for any other identifier, or when the platform names none.
std::string ExpectedSpecialFolder(int CSIDL);

}  // namespace bayhaul
