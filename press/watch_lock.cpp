#include "press/watch_lock.h"

#include <chrono>
#include <filesystem>
#include <sstream>
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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

WatchLock::WatchLock(std::unique_ptr<HeldLockFile> file, std::string holder)
    : file_(std::move(file)), holder_(std::move(holder)) {
    Tell({});
}

void WatchLock::Tell(const std::vector<std::string>& today) {
    std::string text = holder_ + "\n";
    for (const std::string& line : today) text += line + "\n";
    file_->Describe(text);
}

std::unique_ptr<WatchLock> TakeWatchLock(const std::string& stateFolder, const std::string& since, std::string& why) {
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
        const std::vector<std::string> lines = Lines(ReadLockFile(LockPath(stateFolder)));
        const std::string holder = lines.empty() || lines[0].empty() ? "another Bayhaul" : lines[0];
        why = "Another watch is running (" + holder + "); it collects the terminals already.";
        return nullptr;
    }
    if (!taken.lock) {
        why = "Cannot make sure that only one watch runs: " + taken.error + ".";
        return nullptr;
    }
    return std::make_unique<WatchLock>(std::move(taken.lock), "bayhaul --watch, process " +
                                                                  std::to_string(ThisProcessNumber()) + ", since " +
                                                                  since);
}

std::optional<RunningWatchText> RunningWatch(const std::string& stateFolder) {
    if (stateFolder.empty()) return std::nullopt;
    const std::string path = LockPath(stateFolder);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return std::nullopt;
    // Free for a shared lock: no watch holds it.
    if (!TakeLockFile(path, LockKind::Shared, false).busy) return std::nullopt;
    std::vector<std::string> lines = Lines(ReadLockFile(path));
    if (lines.empty()) return RunningWatchText{};
    RunningWatchText running{lines.front(), {}};
    running.today.assign(lines.begin() + 1, lines.end());
    return running;
}

}  // namespace bayhaul
