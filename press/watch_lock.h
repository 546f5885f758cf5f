// One watch per user: the watch holds "watch.lock" in the user's state
// folder while it runs, and the file says which process it is and since
// when; a second watch finds it held and does not start. The lock goes with
// the process however that ends.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "press/lock_file.h"

namespace bayhaul {

inline constexpr char kWatchLockFile[] = "watch.lock";

// Takes the lock for a watch that starts `since` ("2026-12-09 18:02:11");
// nothing, with `why` saying who holds it or why it cannot be taken, in a
// sentence for the user.
std::unique_ptr<HeldLockFile> TakeWatchLock(const std::string& stateFolder, const std::string& since,
                                            std::string& why);

// What the running watch's lock says, or nothing when no watch runs.
std::optional<std::string> RunningWatch(const std::string& stateFolder);

}  // namespace bayhaul
