// The history file and the copies of replaced files, on their own.
#include "press/history.h"
#include "press/replaced_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace bayhaul {
namespace {

namespace fs = std::filesystem;

TEST(HistoryTest, RecordsComeBackWhateverTheyHoldAndACutShortLineIsLeftOut) {
    TempDir state;
    const HistoryRecord saved{"2026-12-09 18:02:11",
                              "2026-12-09 18:02:00",
                              "COM3",
                              "saved /home/ann/Desk, \"top\"/FORM.DAT (12,345 bytes)",
                              "/home/ann/Desk, \"top\"/FORM.DAT",
                              "12345",
                              std::string(64, 'a')};
    const HistoryRecord line{"2026-12-09 18:02:12", "2026-12-09 18:02:00", "COM4", "no terminal\nanswered"};
    ASSERT_EQ(AppendHistory(state.Path(), saved), "");
    ASSERT_EQ(AppendHistory(state.Path(), line), "");
    const std::string text = ReadWholeFile(state / kHistoryFile);
    EXPECT_EQ(text.rfind("date and time,press,port,outcome,file,bytes,sha256,delete,clock\r\n", 0), 0u)
        << "a header for a spreadsheet";

    // A press killed in the middle of its write leaves a line without its end.
    std::ofstream(state / kHistoryFile, std::ios::binary | std::ios::app) << "2026-12-09 18:03:00,2026-12-09 18:0";
    const HistoryRecord later{"2026-12-09 18:05:00", "2026-12-09 18:05:00", "COM3", "the terminal has no FORM.DAT"};
    ASSERT_EQ(AppendHistory(state.Path(), later), "");

    const std::vector<HistoryRecord> read = ReadHistory(state.Path());
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].outcome, saved.outcome);
    EXPECT_EQ(read[0].file, saved.file);
    EXPECT_EQ(read[0].sha256, saved.sha256);
    EXPECT_EQ(read[1].outcome, line.outcome);
    EXPECT_EQ(read[2].port, "COM3") << "the next record does not run into the cut-short line";
    EXPECT_EQ(read[2].outcome, later.outcome);
}

// A watch that collects two docked terminals starts two presses in one
// second; a refused press writes its record while another press runs.
TEST(HistoryTest, PressesInOneSecondAreToldApartAndAPressIsShownWholeAroundARefusedOne) {
    const LocalTime second{2026, 12, 9, 18, 2, 11};
    const std::string first = NewPressId(second), next = NewPressId(second);
    EXPECT_NE(first, next);
    EXPECT_EQ(PressStart(first), "2026-12-09 18:02:11");
    EXPECT_EQ(PressStart("2026-12-09 18:02:11"), "2026-12-09 18:02:11") << "an id of the older form";

    const std::string running = "2026-12-09 18:02:11 #4242.1", refused = "2026-12-09 18:02:11 #4300.1";
    const std::vector<HistoryRecord> records = {{"2026-12-09 18:00:00", "2026-12-09 18:00:00", "COM3"},
                                                {"2026-12-09 18:02:12", running, "COM3"},
                                                {"2026-12-09 18:02:12", refused, "", "Another press is running"},
                                                {"2026-12-09 18:02:15", running, "COM4"}};
    const std::vector<HistoryRecord> last = LastPresses(records, 1);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0].port + last[1].port, "COM3COM4");
    const std::vector<HistoryRecord> two = LastPresses(records, 2);
    ASSERT_EQ(two.size(), 3u);
    EXPECT_EQ(two[0].press + two[1].press + two[2].press, running + running + refused) << "each press together";
}

TEST(HistoryTest, TheLastPressesOfALongHistoryAreReadFromItsEnd) {
    TempDir state;
    // Records long enough to cross many chunks, some with line breaks of
    // their own, and a line a crash cut short in the middle of a quoted field.
    const std::string outcome = "not saved: the terminal said\n" + std::string(3000, 'x');
    for (int press = 0; press < 200; ++press) {
        const std::string id = "2026-12-09 18:" + std::string(press % 60 < 10 ? "0" : "") + std::to_string(press % 60) +
                               ":00 #" + std::to_string(press);
        for (const char* port : {"COM3", "COM4"})
            ASSERT_EQ(AppendHistory(state.Path(), {"2026-12-09 19:00:00", id, port, outcome}), "");
        if (press == 150)
            std::ofstream(state / kHistoryFile, std::ios::binary | std::ios::app) << "2026-12-09 19:00:00,x,\"cut";
    }
    const HistoryExtract last = ReadLastPresses(state.Path(), 3);
    EXPECT_EQ(last.problem, "");
    ASSERT_EQ(last.records.size(), 6u);
    EXPECT_EQ(last.records.front().press, "2026-12-09 18:17:00 #197");
    EXPECT_EQ(last.records.back().press, "2026-12-09 18:19:00 #199");
    EXPECT_EQ(last.records.back().outcome, outcome);
    EXPECT_EQ(ReadHistory(state.Path()).size(), 400u) << "the cut line spoils no other";

    EXPECT_EQ(ReadLastPresses(state / "none yet", 3).records.size(), 0u);
    EXPECT_EQ(ReadLastPresses(state / "none yet", 3).problem, "");
    const std::string folder = state / "folder/history.csv";
    fs::create_directories(folder);
    const std::string problem = ReadLastPresses(state / "folder", 3).problem;
    const std::size_t named = problem.find(" is not a file");
    ASSERT_NE(named, std::string::npos) << problem;
    EXPECT_EQ(fs::path(problem.substr(0, named)), fs::path(folder)) << "the file named";
    EXPECT_EQ(problem.substr(named), " is not a file (a folder, a pipe or a device): remove it");
}

TEST(HistoryTest, RecordsOfTheYearsBeforeLastMoveToAFileOfTheirYear) {
    TempDir state;
    const std::string older = "date and time,press,port,outcome,file,bytes,sha256\r\n";
    const std::string records2024 =
        "2024-03-01 10:00:00,2024-03-01 10:00:00,COM3,\"saved, twice\",,,\r\n"
        "2024-12-31 23:59:59,2024-12-31 23:59:59,COM3,no terminal answered,,,\r\n";
    const std::string record2025 = "2025-01-01 00:00:01,2025-01-01 00:00:01,COM3,no terminal answered,,,\r\n";
    const std::string record2026 = "2026-01-02 08:00:00,2026-01-02 08:00:00 #7.1,COM3,saved,f,1,ab,deleted,set\r\n";
    WriteWholeFile(state / kHistoryFile, older + records2024 + "2024-12-31 23:59:59,cut\r\n" + record2025 + record2026);
    WriteWholeFile(state / "history-2024.csv", older + "2024-01-01 00:00:00,2024-01-01 00:00:00,COM9,kept,,,\r\n");

    const LocalTime today{2026, 1, 2, 9, 0, 0};
    ASSERT_EQ(TidyHistory(state.Path(), today), "");
    const std::string header = "date and time,press,port,outcome,file,bytes,sha256,delete,clock\r\n";
    EXPECT_EQ(ReadWholeFile(state / kHistoryFile), header + record2025 + record2026) << "this year's and last";
    EXPECT_EQ(ReadWholeFile(state / "history-2024.csv"),
              older + "2024-01-01 00:00:00,2024-01-01 00:00:00,COM9,kept,,,\r\n" + records2024 +
                  "2024-12-31 23:59:59,cut\r\n")
        << "added to the year's file, byte for byte";
    const std::vector<HistoryRecord> read = ReadHistory(state.Path());
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].deleted + read[0].clock, "") << "an older record has no such columns";
    EXPECT_EQ(read[1].deleted, "deleted");
    EXPECT_EQ(read[1].clock, "set");

    // Nothing to do: the file is left as it is.
    const auto written = fs::last_write_time(state / kHistoryFile);
    ASSERT_EQ(TidyHistory(state.Path(), today), "");
    EXPECT_EQ(fs::last_write_time(state / kHistoryFile), written);
    EXPECT_EQ(TidyHistory(state / "none yet", today), "");
}

TEST(HistoryTest, TheLastPressesAreTakenWhole) {
    const std::vector<HistoryRecord> records = {
        {"1", "press 1", "COM1"}, {"2", "press 2", "COM1"}, {"3", "press 2", "COM2"}, {"4", "press 3", "COM1"}};
    const std::vector<HistoryRecord> last = LastPresses(records, 2);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last.front().when, "2");
    EXPECT_EQ(LastPresses(records, 10).size(), 4u);
    EXPECT_TRUE(LastPresses({}, 3).empty());
}

TEST(ReplacedFilesTest, AReplacedFileIsKeptUnderItsNameInItsDaysFolderAndExpiresAfterThirtyDays) {
    TempDir state, desktop;
    WriteWholeFile(desktop / "FORM.DAT", "yesterday's records");
    const LocalTime today{2026, 12, 9, 18, 2, 11};
    std::string why;
    const std::string first = KeepReplacedFile(state.Path(), desktop / "FORM.DAT", today, why);
    EXPECT_EQ(fs::path(first), fs::path(state / "replaced/2026-12-09/FORM.DAT")) << why;
    // A press puts a new file in place; the kept one stays as it was.
    WriteWholeFile(desktop / "FORM.DAT.new", "this morning's");
    fs::rename(desktop / "FORM.DAT.new", desktop / "FORM.DAT");
    const std::string second = KeepReplacedFile(state.Path(), desktop / "FORM.DAT", today, why);
    EXPECT_EQ(fs::path(second), fs::path(state / "replaced/2026-12-09/FORM (2).DAT")) << why;
    EXPECT_EQ(ReadWholeFile(first), "yesterday's records");
    EXPECT_EQ(ReadWholeFile(second), "this morning's");

    for (const char* day : {"2026-11-09", "2026-11-08", "2025-12-31"}) {
        fs::create_directories(fs::path(state / "replaced") / day);
        WriteWholeFile((fs::path(state / "replaced") / day / "FORM.DAT").string(), day);
    }
    fs::create_directories(state / "replaced/not a day");
    RemoveExpiredCopies(state.Path(), today);
    EXPECT_TRUE(fs::exists(state / "replaced/2026-12-09/FORM.DAT"));
    EXPECT_TRUE(fs::exists(state / "replaced/2026-11-09")) << "30 days old: kept";
    EXPECT_FALSE(fs::exists(state / "replaced/2026-11-08"));
    EXPECT_FALSE(fs::exists(state / "replaced/2025-12-31"));
    EXPECT_TRUE(fs::exists(state / "replaced/not a day")) << "only the day folders are Bayhaul's";
}

// The copies' folder is Bayhaul's: a link there, to a folder of the
// user's that holds folders named like days, is neither written through
// nor emptied.
TEST(ReplacedFilesTest, ALinkInPlaceOfTheCopiesFolderIsNeitherFollowedNorEmptied) {
    TempDir state, users;
    fs::create_directories(fs::path(users.Path()) / "2020-01-01");
    WriteWholeFile(users / "2020-01-01/photos.txt", "the user's own");
    std::error_code linked;
    fs::create_directory_symlink(users.Path(), state / kReplacedFolder, linked);
    if (linked) GTEST_SKIP() << "no symbolic links here: " << linked.message();
    WriteWholeFile(state / "FORM.DAT", "a file a press replaces");
    const LocalTime today{2026, 12, 9, 18, 2, 11};

    RemoveExpiredCopies(state.Path(), today);
    EXPECT_EQ(ReadWholeFile(users / "2020-01-01/photos.txt"), "the user's own");
    std::string why;
    EXPECT_EQ(KeepReplacedFile(state.Path(), state / "FORM.DAT", today, why), "");
    EXPECT_EQ(why, (fs::path(state.Path()) / kReplacedFolder).string() +
                       " is a symbolic link, which Bayhaul does not follow: remove it");
    EXPECT_FALSE(fs::exists(fs::path(users.Path()) / "2026-12-09"));
}

}  // namespace
}  // namespace bayhaul
