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
        const std::unique_ptr<WatchLock> first = TakeWatchLock(folder, "2026-12-09 08:00:00", why);
        ASSERT_TRUE(first) << why;
        std::optional<RunningWatchText> running = RunningWatch(folder);
        ASSERT_TRUE(running);
        EXPECT_EQ(running->holder.rfind("bayhaul --watch, process ", 0), 0u) << running->holder;
        EXPECT_NE(running->holder.find(", since 2026-12-09 08:00:00"), std::string::npos) << running->holder;
        EXPECT_TRUE(running->today.empty());
        first->Tell({"08:10:00 COM3: saved /a/FORM.DAT (10 bytes)", "08:20:00 COM4: saved /a/FORM02.DAT (3 bytes)"});
        running = RunningWatch(folder);
        ASSERT_TRUE(running);
        EXPECT_EQ(running->today, (std::vector<std::string>{"08:10:00 COM3: saved /a/FORM.DAT (10 bytes)",
                                                            "08:20:00 COM4: saved /a/FORM02.DAT (3 bytes)"}));

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
