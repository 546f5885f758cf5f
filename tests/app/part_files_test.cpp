// The part files a press writes beside the user's, and their records.
#include "press/part_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace bayhaul {
namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::size_t EntriesIn(const std::string& folder) {
    std::error_code error;
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder, error), {}));
}

// A file of the user's at the part name: before part files were recorded,
// a press removed it and wrote its own in its place.
TEST(PartFilesTest, AFileAtThePartNameThatBayhaulDidNotMakeIsLeftAlone) {
    TempDir state, desktop;
    const std::string users = desktop / "FORM.DAT.COM4.bayhaul-part";
    WriteWholeFile(users, "the user's own");
    PartFiles press(state.Path(), "2026-12-09 18:02:11 #1.1");
    std::string why;
    EXPECT_EQ(press.Claim(desktop.Path(), "FORM", "DAT", 4, why), "");
    EXPECT_EQ(why.rfind("the name ", 0), 0u) << why;
    EXPECT_TRUE(EndsWith(why, "FORM.DAT.COM4.bayhaul-part is taken by a file Bayhaul did not make")) << why;
    EXPECT_EQ(RemoveUnfinishedFiles(state.Path()), "");
    EXPECT_EQ(ReadWholeFile(users), "the user's own");
    EXPECT_EQ(EntriesIn(state / kUnfinishedFolder), 0u) << "nothing recorded for a name not claimed";
}

TEST(PartFilesTest, ARunningPressKeepsItsFilesUntilItReleasesThem) {
    TempDir state, desktop, documents;
    PartFiles press(state.Path(), "2026-12-09 18:02:11 #1.1");
    std::string why;
    const std::string com3 = press.Claim(desktop.Path(), "FORM", "DAT", 3, why);
    EXPECT_EQ(fs::path(com3), fs::path(desktop / "FORM.DAT.COM3.bayhaul-part")) << why;
    const std::string com4 = press.Claim(documents.Path(), "20261209180211", "", 4, why);
    // The name as the file is saved (an empty extension keeps its dot), then the port.
    EXPECT_EQ(fs::path(com4), fs::path(documents / "20261209180211..COM4.bayhaul-part")) << why;
    EXPECT_EQ(press.Claim(desktop.Path(), "FORM", "DAT", 3, why), "");
    EXPECT_EQ(why, "the name " + com3 + " is in use by another transfer of this press");
    EXPECT_EQ(EntriesIn(state / kUnfinishedFolder), 2u) << "recorded before they exist";

    WriteWholeFile(com3, "arriving");
    WriteWholeFile(com4, "complete, waiting for its name");
    EXPECT_EQ(RemoveUnfinishedFiles(state.Path()), "") << "another press's start";
    EXPECT_TRUE(fs::exists(com3));
    EXPECT_TRUE(fs::exists(com4));

    fs::rename(com3, desktop / "FORM.DAT");  // put in place
    press.Release(com3);
    press.Release(com4);  // given up
    EXPECT_EQ(ReadWholeFile(desktop / "FORM.DAT"), "arriving");
    EXPECT_FALSE(fs::exists(com4));
    EXPECT_EQ(EntriesIn(state / kUnfinishedFolder), 0u);
    EXPECT_EQ(EntriesIn(documents.Path()), 0u);
}

TEST(PartFilesTest, WithoutAPlaceForItsRecordsNoPartFileIsMade) {
    TempDir state, desktop;
    WriteWholeFile(state / kUnfinishedFolder, "a file where the folder goes");
    PartFiles press(state.Path(), "2026-12-09 18:02:11 #1.1");
    std::string why;
    EXPECT_EQ(press.Claim(desktop.Path(), "FORM", "DAT", 3, why), "");
    EXPECT_EQ(why.rfind("cannot record ", 0), 0u) << why;
    EXPECT_TRUE(EndsWith(why, "unfinished is not a folder of Bayhaul's: remove it")) << why;
    EXPECT_EQ(PartFiles("", "x").Claim(desktop.Path(), "FORM", "DAT", 3, why), "");
    EXPECT_EQ(EntriesIn(desktop.Path()), 0u);
}

}  // namespace
}  // namespace bayhaul
