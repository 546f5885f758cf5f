// The Windows program's part in a watch: its icon in the notification
// area, with its state as the tooltip and a menu of its last collections
// and Pause, Resume and Quit; a notification for each collection; and, for
// a watch started without a console (at log-on, from the Start-up folder),
// its journal in watch.log in the user's state folder. The watch runs on a
// thread of its own while the icon's window serves the desktop.
#pragma once

#include <string>

#include "cli/command_line.h"

namespace bayhaul {

inline constexpr char kWatchJournalFile[] = "watch.log";

class Win32WatchFrontEnd final : public WatchFrontEnd {
public:
    // `journalToFile`: no console shows the journal.
    Win32WatchFrontEnd(std::string stateFolder, bool journalToFile);
    int Run(const std::function<int(WatchDesktop& desktop)>& watch) override;

private:
    const std::string journal_;  // the file, or "" when a console shows the journal
};

}  // namespace bayhaul
