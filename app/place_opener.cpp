#include "app/place_opener.h"

#include <filesystem>

namespace bayhaul {

void PlaceOpener::OpenHistory(const std::string& historyFile) {
    const std::filesystem::path file(historyFile);
    const std::string name = file.filename().string();
    const std::string folder = file.parent_path().string();
    say_("");
    open_(historyFile, [this, historyFile, name, folder](bool opened) {
        if (opened) return;
        open_(folder, [this, historyFile, name, folder](bool folderOpened) {
            say_(folderOpened ? "No program here opens " + name + ", so its folder is open: " + folder + "."
                              : "No program here opens " + name + " or its folder. It is " + historyFile + ".");
        });
    });
}

void PlaceOpener::OpenReceivedFolder(const std::string& folder, const std::string& problem) {
    if (!problem.empty()) {
        say_(problem);
        return;
    }
    say_("");
    open_(folder, [this, folder](bool opened) {
        if (!opened) say_("No program here opens folders. The received files are in " + folder + ".");
    });
}

}  // namespace bayhaul
