// One watch per user: the watch holds "watch.lock" in the user's state
// folder while it runs, and a second watch finds it held and does not
// start. The file's first line says which process holds it and since when;
// the lines after it, what the watch collected today, for a window to show.
// The lock goes with the process however that ends.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "press/lock_file.h"

namespace bayhaul {

inline constexpr char kWatchLockFile[] = "watch.lock";

class WatchLock {
public:
    WatchLock(std::unique_ptr<HeldLockFile> file, std::string holder);
    // Tells a window what the watch did today: these lines, each with its
    // date and time ("2026-12-09 09:12:40 COM3: saved ..."), newest last.
    void Tell(const std::vector<std::string>& today);

private:
    const std::unique_ptr<HeldLockFile> file_;
    const std::string holder_;
};

// Takes the lock for a watch that starts `since` ("2026-12-09 18:02:11");
// nothing, with `why` saying who holds it or why it cannot be taken, in a
// sentence for the user.
std::unique_ptr<WatchLock> TakeWatchLock(const std::string& stateFolder, const std::string& since, std::string& why);

// The running watch as its lock tells it: who and since when, and what it
// did today; nothing when no watch runs.
struct RunningWatchText {
    std::string holder;               // "bayhaul --watch, process 4242, since 2026-12-09 08:00:11"
    std::vector<std::string> today;   // "2026-12-09 09:12:40 COM3: saved ..."
};
std::optional<RunningWatchText> RunningWatch(const std::string& stateFolder);

}  // namespace bayhaul
