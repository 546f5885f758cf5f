// One watch per user, and what a window learns of the running one.
#include "press/watch_lock.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace bayhaul {
namespace {

TEST(WatchLockTest, ASecondWatchIsRefusedNamingTheFirstWhichAWindowSeesRunning) {
    TempDir state;
    const std::string folder = state / "made/on/first/use";
    EXPECT_EQ(RunningWatch(folder), std::nullopt) << "no watch yet";
    std::string why;
    {
        const std::unique_ptr<HeldLockFile> first = TakeWatchLock(folder, "2026-12-09 08:00:00", why);
        ASSERT_TRUE(first) << why;
        const std::optional<std::string> running = RunningWatch(folder);
        ASSERT_TRUE(running);
        EXPECT_EQ(running->rfind("bayhaul --watch, process ", 0), 0u) << *running;
        EXPECT_NE(running->find(", since 2026-12-09 08:00:00\n"), std::string::npos) << *running;

        EXPECT_FALSE(TakeWatchLock(folder, "2026-12-09 09:00:00", why));
        EXPECT_EQ(why.rfind("Another watch is running (bayhaul --watch, process ", 0), 0u) << why;
        EXPECT_NE(why.find("since 2026-12-09 08:00:00); it collects the terminals already."), std::string::npos)
            << why;
    }
    EXPECT_EQ(RunningWatch(folder), std::nullopt) << "it has ended, though its file stays";
    EXPECT_TRUE(TakeWatchLock(folder, "2026-12-09 10:00:00", why)) << why;

    EXPECT_FALSE(TakeWatchLock("", "2026-12-09 10:00:00", why));
    EXPECT_EQ(why, "Cannot make sure that only one watch runs: there is no folder for Bayhaul's state.");
}

}  // namespace
}  // namespace bayhaul
