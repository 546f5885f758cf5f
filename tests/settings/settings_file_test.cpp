#include "settings/settings_file.h"
#include "support/in_child.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>

namespace bayhaul {
namespace {

const std::string kDefaultBytes = "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n";

class SettingsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir / "settings.ini";

    std::size_t EntriesInFolder() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
    }
};

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
    ::chmod(path.c_str(), 0444);

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

TEST_F(SettingsFileTest, ReplacingKeepsTheFilesPermissions) {
    WriteWholeFile(path, kDefaultBytes);
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(WriteSettingsFile({"0", "0", "a", "b", "c"}, path).ok);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(SettingsFileTest, ADeviceOrAFifoInThePlaceOfTheFileReadsAsMissingAtOnce) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    for (const std::string& target : {std::string("/dev/zero"), dir / "fifo"}) {
        SCOPED_TRACE(target);
        std::filesystem::remove(path);
        std::filesystem::create_symlink(target, path);
        const auto started = std::chrono::steady_clock::now();
        EnsureSettingsFile(path);
        AppSettings read;
        read.sync = "stale";
        EXPECT_EQ(ReadSettingsFile(read, path), 0);
        EXPECT_EQ(read, AppSettings{});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        EXPECT_TRUE(std::filesystem::is_symlink(path)) << "nothing is created over it";
    }
}

TEST_F(SettingsFileTest, AnInterruptedWriteLeavesTheOldContent) {
    WriteWholeFile(path, kDefaultBytes);
    const AppSettings big{"0", "1", std::string(64 * 1024, 'x'), "FORM", "DAT"};
    // Under a file-size limit the new content cannot be written whole.
    const int failed = RunInChild({false, 4096}, [&] { return WriteSettingsFile(big, path).ok ? 1 : 0; });
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(ReadWholeFile(path), kDefaultBytes);
    EXPECT_EQ(EntriesInFolder(), 1u) << "no temporary file is left";
}

TEST_F(SettingsFileTest, ALinkIsFollowedAndTheFileItLeadsToReplaced) {
    std::filesystem::create_directory(dir / "real");
    WriteWholeFile(dir / "real/settings.ini", kDefaultBytes);
    std::filesystem::create_symlink("real/settings.ini", path);
    ASSERT_TRUE(WriteSettingsFile({"0", "1", "Desktop", "FORM", "TXT"}, path).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadWholeFile(dir / "real/settings.ini"), "0\r\n1\r\nDesktop\r\nFORM\r\nTXT\r\n");

    std::filesystem::remove(dir / "real/settings.ini");  // a link that leads nowhere gets its file made
    EnsureSettingsFile(path);
    EXPECT_EQ(ReadWholeFile(dir / "real/settings.ini"), kDefaultBytes);
}

TEST_F(SettingsFileTest, AWritableFileInAFolderThatMayNotBeWrittenIsRewrittenInPlace) {
    WriteWholeFile(path, kDefaultBytes);
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.Path().c_str(), 0555);
    const int written = RunInChild({true, -1}, [&] {
        return WriteSettingsFile({"0", "1", "/srv/data", "%T", "TXT"}, path).ok ? 0 : 1;
    });
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(ReadWholeFile(path), "0\r\n1\r\n/srv/data\r\n%T\r\nTXT\r\n");
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
