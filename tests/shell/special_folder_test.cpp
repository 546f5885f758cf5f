#include "shell/special_folder.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bayhaul {
namespace {

// Points HOME and the XDG configuration at a private tree for one test.
class SpecialFolderTest : public ::testing::Test {
protected:
    TempDir home;
    ScopedEnv env;

    void SetUp() override {
        env.Set("HOME", home.Path());
        env.Set("XDG_CONFIG_HOME", home / "config");
        std::filesystem::create_directories(home / "config");
    }

    void UserDirs(const std::string& desktop, const std::string& documents) {
        WriteWholeFile(home / "config/user-dirs.dirs",
                       "XDG_DESKTOP_DIR=\"" + desktop + "\"\nXDG_DOCUMENTS_DIR=\"" + documents + "\"\n");
    }
};

TEST_F(SpecialFolderTest, DocumentsAndDesktopAreTheUsersFoldersWithoutATrailingSeparator) {
    std::filesystem::create_directories(home / "Work Desk");
    std::filesystem::create_directories(home / "Papers");
    UserDirs("$HOME/Work Desk/", "$HOME/Papers");

    EXPECT_EQ(fGetSpecialFolder(16), home / "Work Desk");
    EXPECT_EQ(fGetSpecialFolder(5), home / "Papers");
}

TEST_F(SpecialFolderTest, EveryCallAsksAfresh) {
    std::filesystem::create_directories(home / "One");
    std::filesystem::create_directories(home / "Two");
    UserDirs("$HOME/One", "$HOME/One");
    EXPECT_EQ(fGetSpecialFolder(16), home / "One");
    EXPECT_EQ(fGetSpecialFolder(16), home / "One");
    UserDirs("$HOME/Two", "$HOME/Two");
    EXPECT_EQ(fGetSpecialFolder(16), home / "Two");
}

TEST_F(SpecialFolderTest, UnknownIdentifierOrMissingFolderGivesEmptyText) {
    UserDirs("$HOME/Not There", "$HOME/Not There Either");
    EXPECT_EQ(fGetSpecialFolder(16), "");
    EXPECT_EQ(fGetSpecialFolder(5), "");
    for (int id : {-1, 0, 2, 6, 17, 0x28, 1000}) EXPECT_EQ(fGetSpecialFolder(id), "") << id;
}

TEST_F(SpecialFolderTest, WithoutTheFileOrItsLineTheFoldersAreDocumentsAndDesktopInHome) {
    EXPECT_EQ(ExpectedSpecialFolder(5), home / "Documents");
    EXPECT_EQ(ExpectedSpecialFolder(16), home / "Desktop");
    EXPECT_EQ(fGetSpecialFolder(16), "");
    std::filesystem::create_directories(home / "Desktop");
    WriteWholeFile(home / "config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    EXPECT_EQ(fGetSpecialFolder(16), home / "Desktop");
    EXPECT_EQ(ExpectedSpecialFolder(2), "");
}

TEST_F(SpecialFolderTest, ADesktopOfHomeIsTheHomeFolder) {
    UserDirs("$HOME", "$HOME/Papers");
    EXPECT_EQ(fGetSpecialFolder(16), home.Path());
    EXPECT_EQ(ExpectedSpecialFolder(5), home / "Papers");
}

TEST_F(SpecialFolderTest, AFileOfTheNameIsNoFolder) {
    UserDirs("$HOME/Desk", "$HOME/Papers");
    WriteWholeFile(home / "Desk", "not a folder");
    EXPECT_EQ(fGetSpecialFolder(16), "");
    EXPECT_EQ(ExpectedSpecialFolder(16), home / "Desk");
}

TEST_F(SpecialFolderTest, ConfigurationInHomeUnlessXdgConfigHomeIsAbsolute) {
    std::filesystem::create_directories(home / ".config");
    WriteWholeFile(home / ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Home Desk\"\n");
    UserDirs("$HOME/Config Desk", "$HOME/Papers");
    EXPECT_EQ(ExpectedSpecialFolder(16), home / "Config Desk");
    env.Set("XDG_CONFIG_HOME", "config");
    EXPECT_EQ(ExpectedSpecialFolder(16), home / "Home Desk");
    env.Unset("XDG_CONFIG_HOME");
    EXPECT_EQ(ExpectedSpecialFolder(16), home / "Home Desk");
}

TEST_F(SpecialFolderTest, NoHomeNoFolders) {
    env.Unset("HOME");
    EXPECT_EQ(ExpectedSpecialFolder(16), "");
    EXPECT_EQ(ExpectedSpecialFolder(5), "");
    env.Set("HOME", "relative/home");
    EXPECT_EQ(ExpectedSpecialFolder(16), "");
}

}  // namespace
}  // namespace bayhaul
