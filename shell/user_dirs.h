// The user's named folders as xdg-user-dirs keeps them in user-dirs.dirs:
// shell assignments such as
//   XDG_DESKTOP_DIR="$HOME/Desktop"
// whose value is either "$HOME/..." below the home folder or an absolute
// path, in double quotes with backslash escapes.
#pragma once

#include <string>
#include <string_view>

namespace bayhaul {

// The folder `name` (say "XDG_DESKTOP_DIR") is set to in `fileText`, the
// content of a user-dirs.dirs file, with $HOME standing for `home` (an
// absolute path); `fallback` below home (say "Desktop") when no line sets
// it. The last line that sets it wins; a line whose value is no path of
// that form (relative, another variable, an unclosed quote) is ignored.
// Without a trailing separator, as the desktop names it: "$HOME" alone is
// the home folder itself.
std::string UserDir(std::string_view fileText, std::string_view name, std::string_view home,
                    std::string_view fallback);

}  // namespace bayhaul
