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
    const HistoryRecord saved{"2026-12-09 18:02:11", "2026-12-09 18:02:00", "COM3",
                              "saved /home/ann/Desk, \"top\"/FORM.DAT (12,345 bytes)", "/home/ann/Desk, \"top\"/FORM.DAT",
                              "12345", std::string(64, 'a')};
    const HistoryRecord line{"2026-12-09 18:02:12", "2026-12-09 18:02:00", "COM4", "no terminal\nanswered"};
    ASSERT_EQ(AppendHistory(state.Path(), saved), "");
    ASSERT_EQ(AppendHistory(state.Path(), line), "");
    const std::string text = ReadWholeFile(state / kHistoryFile);
    EXPECT_EQ(text.rfind("date and time,press,port,outcome,file,bytes,sha256\r\n", 0), 0u) << "a header for a spreadsheet";

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

}  // namespace
}  // namespace bayhaul
