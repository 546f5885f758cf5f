#include "win32/watch_front_end_win32.h"

#include <filesystem>

#include "files/durable_file.h"

namespace bayhaul {

Win32WatchFrontEnd::Win32WatchFrontEnd(std::string stateFolder, bool journalToFile)
    : journal_(journalToFile && !stateFolder.empty()
                   ? (std::filesystem::path(stateFolder) / kWatchJournalFile).string()
                   : "") {}

int Win32WatchFrontEnd::Run(const std::function<int(WatchDesktop& desktop)>& watch) {
    if (!journal_.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(journal_).parent_path(), ignored);
    }
    return watch(*this);
}

void Win32WatchFrontEnd::Journal(const std::string& line) {
    // A line that cannot be written is lost alone: the watch goes on.
    if (!journal_.empty()) AppendDurably(journal_, line + "\r\n");
}

}  // namespace bayhaul
