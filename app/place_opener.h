// Opening the history and the folder of received files with the desktop's
// own programs, for both report windows: a file that no program opens gets
// its folder opened instead, and whatever cannot be opened is named where
// it is, so the user can find it.
#pragma once

#include <functional>
#include <string>

namespace bayhaul {

class PlaceOpener {
public:
    // Opens a file or folder with the desktop's program for it, and then
    // calls `done` with whether one opened it; `done` may run later, on
    // the window's thread.
    using Open = std::function<void(const std::string& path, std::function<void(bool opened)> done)>;
    // Shows the note on the window; "" clears it.
    using Say = std::function<void(const std::string& note)>;

    PlaceOpener(Open open, Say say) : open_(std::move(open)), say_(std::move(say)) {}

    // The history file, else the folder that holds it.
    void OpenHistory(const std::string& historyFile);
    // The folder of received files; `problem` says why there is none ("" when there is).
    void OpenReceivedFolder(const std::string& folder, const std::string& problem);
    // Shows a note of the window's own on the same line.
    void Tell(const std::string& note) { say_(note); }

private:
    Open open_;
    Say say_;
};

}  // namespace bayhaul
