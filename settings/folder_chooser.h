// Asks the user for a folder. Each window front end has its own chooser
// (Qt's directory dialog, the Windows shell's folder browser); tests stand
// in a fake.
#pragma once

#include <optional>
#include <string>

namespace bayhaul {

inline constexpr char kChooseFolderTitle[] = "Choose a folder:";

class FolderChooser {
public:
    virtual ~FolderChooser() = default;

    // Shows the chooser, opened at `start` when it is a folder there is,
    // and waits for the user. Gives the file-system path of the folder
    // picked, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& start) = 0;
};

}  // namespace bayhaul
