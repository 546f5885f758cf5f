#include "settings/settings_file.h"
#include "settings/settings_file_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bayhaul {
namespace {

TEST_F(SettingsFileTest, MissingFileIsCreatedWithTheDefaultLinesByteForByte) {
    EnsureSettingsFile(path);
    EXPECT_EQ(ReadWholeFile(path), kDefaultBytes);

    AppSettings read;
    read.sync = "stale";
    EXPECT_EQ(ReadSettingsFile(read, path), 5);
    EXPECT_EQ(read, AppSettings{});
}

TEST_F(SettingsFileTest, ExistingFileIsNeverReplacedByTheDefaults) {
    for (const std::string& content : {std::string(), std::string("0\r\n"), std::string("anything")}) {
        WriteWholeFile(path, content);
        EnsureSettingsFile(path);
        EXPECT_EQ(ReadWholeFile(path), content);
    }
}

TEST_F(SettingsFileTest, ZeroLengthFileReadsAsDefaultsAndStaysZeroLength) {
    WriteWholeFile(path, "");
    AppSettings read;
    EXPECT_EQ(ReadSettingsFile(read, path), 0);
    EXPECT_EQ(read, AppSettings{});
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(SettingsFileTest, EveryValueReadsBackExactlyAsWritten) {
    const AppSettings cases[] = {
        {"1", "0", "D:\\Data,2024", "FORM", "DAT"},
        {"0", "1", "\"C:\\quoted folder\"", "\"name", "a\"b"},
        {"1", "1", "  /home/me/with blanks  ", " lead", "trail "},
        {"", "", "", "", ""},
        {"0", "0", "My Documents", "%T", ""},
        {"yes", "1 ", "a,b,c", ",", ",,"},
    };
    for (const AppSettings& written : cases) {
        ASSERT_TRUE(WriteSettingsFile(written, path).ok);
        EXPECT_EQ(ReadWholeFile(path), FormatSettings(written));
        AppSettings read;
        EXPECT_EQ(ReadSettingsFile(read, path), 5);
        EXPECT_EQ(read, written) << "folder " << written.diradd;
    }
}

TEST_F(SettingsFileTest, EachLineEndsInCrLfAndAnEmptyValueIsAnEmptyLine) {
    ASSERT_TRUE(WriteSettingsFile({"1", "0", "D:\\Data", "FORM", ""}, path).ok);
    EXPECT_EQ(ReadWholeFile(path), "1\r\n0\r\nD:\\Data\r\nFORM\r\n\r\n");
}

TEST_F(SettingsFileTest, ShortFileKeepsWhatWasReadAndTakesDefaultsForTheRest) {
    WriteWholeFile(path, "0\r\n1\r\n/srv/data\r\n");
    AppSettings read;
    EXPECT_EQ(ReadSettingsFile(read, path), 3);
    EXPECT_EQ(read, (AppSettings{"0", "1", "/srv/data", "FORM", "DAT"}));

    WriteWholeFile(path, "0\r\n1\r\n/srv/data\r\nNAME\r\nTXT");  // last line without its line end
    EXPECT_EQ(ReadSettingsFile(read, path), 5);
    EXPECT_EQ(read.fileext, "TXT");
}

TEST_F(SettingsFileTest, LinesEndingInLfAloneAreReadToo) {
    WriteWholeFile(path, "0\n1\n/srv/data\nNAME\nTXT\n");
    AppSettings read;
    EXPECT_EQ(ReadSettingsFile(read, path), 5);
    EXPECT_EQ(read, (AppSettings{"0", "1", "/srv/data", "NAME", "TXT"}));
}

TEST_F(SettingsFileTest, SurplusLinesAreIgnoredAndDroppedByTheNextWrite) {
    WriteWholeFile(path, "1\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\nsixth\r\nseventh\r\n");
    AppSettings read;
    EXPECT_EQ(ReadSettingsFile(read, path), 5);
    EXPECT_EQ(read.fileext, "DAT");
    ASSERT_TRUE(WriteSettingsFile(read, path).ok);
    EXPECT_EQ(ReadWholeFile(path), "1\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n");
}

TEST_F(SettingsFileTest, UnreadableOrMissingFileReadsAsDefaults) {
    AppSettings read;
    read.diradd = "stale";
    EXPECT_EQ(ReadSettingsFile(read, dir / "missing.ini"), 0);
    EXPECT_EQ(read, AppSettings{});

    std::filesystem::create_directory(path);  // a folder where the file should be
    EXPECT_EQ(ReadSettingsFile(read, path), 0);
    EXPECT_EQ(read, AppSettings{});
    EnsureSettingsFile(path);
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(SettingsFileTest, ReadOnlyFileIsLeftUntouchedAndTheFailureReported) {
    WriteWholeFile(path, kDefaultBytes);
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);

    SettingsWriteResult result = WriteSettingsFile({"0", "1", "/x", "y", "z"}, path);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("read-only"), std::string::npos) << result.error;
    EXPECT_EQ(ReadWholeFile(path), kDefaultBytes);
    EXPECT_EQ(EntriesInFolder(), 1u) << "no temporary file may stay behind";
}

TEST_F(SettingsFileTest, WriteIntoAMissingFolderFailsWithoutCreatingAnything) {
    SettingsWriteResult result = WriteSettingsFile(AppSettings{}, dir / "no-such-folder/settings.ini");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(EntriesInFolder(), 0u);
}

TEST_F(SettingsFileTest, ValueWithALineBreakIsRefusedAndTheOldFileKept) {
    WriteWholeFile(path, kDefaultBytes);
    AppSettings broken;
    broken.filename = "two\r\nlines";
    EXPECT_FALSE(WriteSettingsFile(broken, path).ok);
    EXPECT_EQ(ReadWholeFile(path), kDefaultBytes);
}

TEST_F(SettingsFileTest, AStrayCarriageReturnIsDroppedSoTheFileCanBeSavedAgain) {
    WriteWholeFile(path, "1\r\n0\r\nDesk\rtop\r\nFO\rRM\r\nDAT\r\n");
    AppSettings read;
    EXPECT_EQ(ReadSettingsFile(read, path), 5);
    EXPECT_EQ(read.diradd, "Desktop");
    EXPECT_EQ(read.filename, "FORM");
    EXPECT_TRUE(WriteSettingsFile(read, path).ok);
    EXPECT_EQ(ReadWholeFile(path), kDefaultBytes);
}

}  // namespace
}  // namespace bayhaul
