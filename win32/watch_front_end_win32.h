// The Windows program's part in a watch. A watch started without a console
// (at log-on, from the Start-up folder) writes its journal to watch.log in
// the user's state folder, one line at a time.
#pragma once

#include <string>

#include "cli/command_line.h"

namespace bayhaul {

inline constexpr char kWatchJournalFile[] = "watch.log";

class Win32WatchFrontEnd final : public WatchFrontEnd, private WatchDesktop {
public:
    // `journalToFile`: no console shows the journal.
    Win32WatchFrontEnd(std::string stateFolder, bool journalToFile);
    int Run(const std::function<int(WatchDesktop& desktop)>& watch) override;

private:
    void Journal(const std::string& line) override;
    void Notify(const std::string&) override {}
    void ShowState(const std::string&) override {}
    bool Paused() override { return false; }
    bool QuitAsked() override { return false; }

    const std::string journal_;  // the file, or "" when a console shows the journal
};

}  // namespace bayhaul
