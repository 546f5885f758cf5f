// One watch per user, and what a window learns of the running one.
#include "press/watch_lock.h"

#include <gtest/gtest.h>

#include "app/main_window_state.h"
#include "app/report_window_layout.h"
#include "link/recording_tether.h"
#include "support/fixed_time.h"
#include "support/in_process_workers.h"
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

// The main window's report tells of the watch that runs: since when, and
// what it collected today.
TEST(WatchLockTest, TheReportWindowTellsOfTheRunningWatchAndItsCollectionsOfToday) {
    TempDir state;
    FixedClock clock;  // 2023-12-08 10:56:03
    EnglishLocaleText locale;
    RecordingTether tether;
    MainWindowState::Environment environment{clock, locale, [](int) { return std::string(); }, state / "settings.ini",
                                             std::make_shared<testing::InProcessWorkers>(tether),
                                             [] { return nullptr; }};
    environment.stateFolder = state.Path();
    MainWindowState window(environment);
    EXPECT_EQ(LastPressReport(window), "No press yet.");

    std::string why;
    const std::unique_ptr<WatchLock> watch = TakeWatchLock(state.Path(), "2023-12-07 08:00:00", why);
    ASSERT_TRUE(watch) << why;
    const std::string holder = RunningWatch(state.Path())->holder;
    EXPECT_EQ(LastPressReport(window), "No press yet.\n\nA watch collects terminals as they are docked (" + holder +
                                           "). It has collected nothing today.");
    watch->Tell({"2023-12-07 17:00:00 COM3: saved /a/FORM.DAT (9 bytes)",
                 "2023-12-08 09:12:40 COM4: saved /a/FORM02.DAT (3 bytes)",
                 "2023-12-08 09:30:00 COM5: the terminal left unsaved; it keeps its data"});
    window.Label2 = "Finished download 1 file(s) at 12/8/2023 10:50:00 AM";
    EXPECT_EQ(LastPressReport(window),
              "Finished download 1 file(s) at 12/8/2023 10:50:00 AM\n\nA watch collects terminals as they are docked (" +
                  holder +
                  "). Today:\n09:12:40 COM4: saved /a/FORM02.DAT (3 bytes)\n09:30:00 COM5: the terminal left unsaved; "
                  "it keeps its data");
}

}  // namespace
}  // namespace bayhaul
