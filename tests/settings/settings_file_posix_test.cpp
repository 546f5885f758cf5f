// What only POSIX shows: permission bits, links, FIFOs and devices, file-size
// limits and folders the user may not write.
#include "settings/settings_file.h"
#include "settings/settings_file_fixture.h"
#include "support/in_child.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>

namespace bayhaul {
namespace {

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

}  // namespace
}  // namespace bayhaul
