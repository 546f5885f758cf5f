#include "press/press_handover.h"

#include <filesystem>
#include <thread>

#include "press/lock_file.h"

namespace bayhaul {

namespace {

constexpr std::chrono::milliseconds kRetryEvery{25};

std::string WantedFile(const std::string& stateFolder) {
    return (std::filesystem::path(stateFolder) / kPressWantedFile).string();
}

}  // namespace

PressLockTaker HandedOverPressLock(PressLockTaker take, std::string stateFolder, std::chrono::milliseconds wait) {
    return [take = std::move(take), stateFolder = std::move(stateFolder), wait](std::string& why) {
        // Said while the press waits; a wish that cannot be said only means
        // a watch does not hear it, and the press is refused as before.
        std::unique_ptr<HeldLockFile> wish;
        if (!stateFolder.empty()) {
            std::error_code ignored;
            std::filesystem::create_directories(stateFolder, ignored);
            wish = TakeLockFile(WantedFile(stateFolder), LockKind::Shared, true).lock;
        }
        const auto end = std::chrono::steady_clock::now() + wait;
        for (;;) {
            std::unique_ptr<PressLock> lock = take(why);
            if (lock || std::chrono::steady_clock::now() >= end) return lock;
            std::this_thread::sleep_for(kRetryEvery);
        }
    };
}

bool PressRequests::Pending() const {
    if (stateFolder_.empty()) return false;
    // A press's shared lock keeps this exclusive one out; taken, it goes at once.
    return TakeLockFile(WantedFile(stateFolder_), LockKind::Exclusive, false).busy;
}

}  // namespace bayhaul
