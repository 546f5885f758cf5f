#include "press/watch_lock.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace bayhaul {

namespace {

// A window that looks whether a watch runs holds the lock for a moment: a
// watch starting then waits that moment out rather than be refused.
constexpr std::chrono::milliseconds kPatience{500};
constexpr std::chrono::milliseconds kRetryEvery{20};

std::string LockPath(const std::string& stateFolder) {
    return (std::filesystem::path(stateFolder) / kWatchLockFile).string();
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

std::unique_ptr<HeldLockFile> TakeWatchLock(const std::string& stateFolder, const std::string& since,
                                            std::string& why) {
    if (stateFolder.empty()) {
        why = "Cannot make sure that only one watch runs: there is no folder for Bayhaul's state.";
        return nullptr;
    }
    std::error_code ignored;
    std::filesystem::create_directories(stateFolder, ignored);
    const auto end = std::chrono::steady_clock::now() + kPatience;
    LockFileTaken taken = TakeLockFile(LockPath(stateFolder), LockKind::Exclusive, false);
    while (taken.busy && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(kRetryEvery);
        taken = TakeLockFile(LockPath(stateFolder), LockKind::Exclusive, false);
    }
    if (taken.busy) {
        const std::string holder = FirstLine(ReadLockFile(LockPath(stateFolder)));
        why = "Another watch is running (" + (holder.empty() ? "another Bayhaul" : holder) +
              "); it collects the terminals already.";
    } else if (!taken.lock) {
        why = "Cannot make sure that only one watch runs: " + taken.error + ".";
    } else {
        taken.lock->Describe("bayhaul --watch, process " + std::to_string(ThisProcessNumber()) + ", since " +
                             since + "\n");
    }
    return std::move(taken.lock);
}

std::optional<std::string> RunningWatch(const std::string& stateFolder) {
    if (stateFolder.empty()) return std::nullopt;
    const std::string path = LockPath(stateFolder);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return std::nullopt;
    // Free for a shared lock: nobody holds it for a watch.
    if (!TakeLockFile(path, LockKind::Shared, false).busy) return std::nullopt;
    return ReadLockFile(path);
}

}  // namespace bayhaul
