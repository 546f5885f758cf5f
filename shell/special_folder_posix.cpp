// POSIX: the XDG user folders, as the desktop environment names them in
// $XDG_CONFIG_HOME/user-dirs.dirs, with ~/Documents and ~/Desktop where it
// names none.
#include "shell/special_folder.h"

#include "settings/output_naming.h"
#include "shell/user_dirs.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace bayhaul {
namespace {

// An absolute path from the environment, or "" when it is unset or
// relative (which the XDG rules say to ignore).
std::string AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : "";
}

// The text of user-dirs.dirs; "" when there is none to read.
std::string ReadUserDirsFile(const std::string& home) {
    std::string folder = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
    if (folder.empty()) folder = home + "/.config";
    std::ifstream in(folder + "/user-dirs.dirs", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string ExpectedSpecialFolder(int CSIDL) {
    const char* name;
    const char* fallback;
    if (CSIDL == kDocumentsFolderId) {
        name = "XDG_DOCUMENTS_DIR";
        fallback = "Documents";
    } else if (CSIDL == kDesktopFolderId) {
        name = "XDG_DESKTOP_DIR";
        fallback = "Desktop";
    } else {
        return "";
    }
    const std::string home = AbsoluteFromEnvironment("HOME");
    if (home.empty()) return "";
    return UserDir(ReadUserDirsFile(home), name, home, fallback);
}

std::string fGetSpecialFolder(int CSIDL) {
    const std::string path = ExpectedSpecialFolder(CSIDL);
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return "";
    return path;
}

}  // namespace bayhaul
