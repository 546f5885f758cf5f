#include "app/main_window_state.h"
#include "link/recording_tether.h"
#include "support/in_process_workers.h"
#include "settings/output_naming.h"
#include "settings/settings_file.h"
#include "settings/timestamp.h"
#include "support/fixed_time.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bayhaul {
namespace {

class MainWindowStateTest : public ::testing::Test {
protected:
    TempDir dir;
    FixedClock clock;
    EnglishLocaleText locale;
    RecordingTether tether;
    std::string settingsPath = dir / "settings.ini";
    MainWindowState state{
        {clock, locale,
         [](int id) { return id == 16 ? std::string("/home/me/Desktop") : std::string("/home/me/Documents"); },
         settingsPath, std::make_shared<testing::InProcessWorkers>(tether), [] { return nullptr; }}};
};

TEST_F(MainWindowStateTest, FirstStartCreatesTheDefaultFileAndSetsTheBoxes) {
    state.Load();
    EXPECT_EQ(ReadWholeFile(settingsPath), "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    EXPECT_TRUE(state.Check1);
    EXPECT_FALSE(state.Check2);
    EXPECT_EQ(state.Label2, "");
    EXPECT_EQ(state.ProgressBar1, 0);
    EXPECT_EQ(state.LastStamp, "20231208105603");
    EXPECT_EQ(state.Label1, "Fri, 12/8/2023 10:56:03 AM");
}

TEST_F(MainWindowStateTest, BoxesFollowTheFlagsAndOnlyAnExactOneIsOn) {
    struct Case {
        std::string file;
        bool check1, check2;
    };
    const Case cases[] = {
        {"0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n", false, true},
        {"1\r\n1\r\n", true, true},
        {"yes\r\n11\r\n", false, false},
        {"1 \r\n 1\r\n", false, false},
    };
    for (const Case& c : cases) {
        WriteWholeFile(settingsPath, c.file);
        state.Load();
        EXPECT_EQ(state.Check1, c.check1) << c.file;
        EXPECT_EQ(state.Check2, c.check2) << c.file;
        EXPECT_EQ(ReadWholeFile(settingsPath), c.file) << "start-up never rewrites the file";
    }
}

TEST_F(MainWindowStateTest, EachBoxRewritesItsOwnLineWhateverTheOrder) {
    WriteWholeFile(settingsPath, "yes\r\n0\r\n/srv/data\r\n%T\r\nTXT\r\nextra\r\n");
    state.Load();

    state.Check2Click(true);
    EXPECT_EQ(ReadWholeFile(settingsPath), "yes\r\n1\r\n/srv/data\r\n%T\r\nTXT\r\n");
    state.Check1Click(false);
    EXPECT_EQ(ReadWholeFile(settingsPath), "0\r\n1\r\n/srv/data\r\n%T\r\nTXT\r\n");

    state.Check1Click(true);
    state.Check2Click(false);
    EXPECT_EQ(ReadWholeFile(settingsPath), "1\r\n0\r\n/srv/data\r\n%T\r\nTXT\r\n");
    EXPECT_EQ(state.Settings.sync, "1");
    EXPECT_EQ(state.Settings.del, "0");
}

TEST_F(MainWindowStateTest, AFailedWriteIsShownAndTheOldFileKept) {
    state.Load();
    std::filesystem::permissions(settingsPath, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    state.Check2Click(true);
    EXPECT_EQ(state.Label2.rfind("Settings not saved: ", 0), 0u) << state.Label2;
    EXPECT_EQ(ReadWholeFile(settingsPath), "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    EXPECT_TRUE(state.Check2);

    EXPECT_EQ(state.ProblemLine, state.Label2);

    std::filesystem::permissions(settingsPath, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    state.Check1Click(false);
    EXPECT_EQ(state.Label2, "");
    EXPECT_EQ(state.ProblemLine, "");
    EXPECT_EQ(ReadWholeFile(settingsPath), "0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n");
}

TEST_F(MainWindowStateTest, AWriteThatWorksAgainTakesBackOnlyItsOwnMessage) {
    state.Load();
    std::filesystem::permissions(settingsPath, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    state.Check2Click(true);
    ASSERT_EQ(state.Label2.rfind("Settings not saved: ", 0), 0u);
    state.Label2 = "Finished download 1 file(s) at 12/8/2023 10:56:03 AM";  // a press ended meanwhile

    std::filesystem::permissions(settingsPath, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    state.Check1Click(false);
    state.Check1Click(true);
    EXPECT_EQ(state.Label2, "Finished download 1 file(s) at 12/8/2023 10:56:03 AM");
}

TEST_F(MainWindowStateTest, SetDateGivesFourteenDigitsAndKeepsThemInLastStamp) {
    struct Case {
        LocalTime moment;
        std::string stamp;
    };
    const Case cases[] = {
        {{2023, 12, 8, 9, 5, 7}, "20231208090507"},
        {{2024, 1, 1, 0, 0, 1}, "20240101000001"},
        {{2023, 12, 31, 23, 59, 59}, "20231231235959"},
        {{2023, 6, 15, 15, 0, 0}, "20230615150000"},
    };
    for (const Case& c : cases) {
        clock.moment = c.moment;
        EXPECT_EQ(state.SetDate(), c.stamp);
        EXPECT_EQ(state.LastStamp, c.stamp);
        EXPECT_EQ(FormatTimestamp(c.moment), c.stamp);
    }
}

TEST_F(MainWindowStateTest, ClockTextCutsTheWeekdayAndLeavesOutMidnight) {
    state.Load();
    clock.moment = {2023, 12, 8, 0, 0, 0};
    state.Timer1Tick();
    EXPECT_EQ(state.Label1, "Fri, 12/8/2023");

    clock.moment = {2023, 12, 8, 0, 0, 1};
    locale.weekday = "Пятница";  // characters, not bytes, are cut
    state.Timer1Tick();
    EXPECT_EQ(state.Label1, "Пят, 12/8/2023 12:00:01 AM");

    locale.weekday = "Fr";
    state.Timer1Tick();
    EXPECT_EQ(state.Label1, "Fr, 12/8/2023 12:00:01 AM");
}

TEST_F(MainWindowStateTest, TickCounterStopsAtItsLargestValue) {
    state.TimerTicks = 32765;
    for (int i = 0; i < 5; ++i) state.Timer2Tick();
    EXPECT_EQ(state.TimerTicks, 32767);
}

}  // namespace
}  // namespace bayhaul
