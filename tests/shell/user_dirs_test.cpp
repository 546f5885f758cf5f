#include "shell/user_dirs.h"

#include <gtest/gtest.h>

#include <string>

namespace bayhaul {
namespace {

std::string Desktop(const std::string& fileText, const std::string& home = "/home/ann") {
    return UserDir(fileText, "XDG_DESKTOP_DIR", home, "Desktop");
}

TEST(UserDirTest, ValuesBelowHomeOrAbsoluteWithoutTrailingSeparators) {
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=\"$HOME/Work Desk/\"\n"), "/home/ann/Work Desk");
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=\"/srv/desks/ann//\"\n"), "/srv/desks/ann");
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=$HOME/Desk\n"), "/home/ann/Desk");
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=\"$HOME/Desk\"", "/home/ann/"), "/home/ann/Desk");
    // "$HOME" alone is home itself, as xdg-user-dirs writes for a folder turned off.
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=\"$HOME\"\n"), "/home/ann");
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=\"$HOME/\"\n"), "/home/ann");
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=\"$HOME\"\n", "/"), "/");
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=\"/\"\n"), "/");
}

TEST(UserDirTest, ShellQuotingAndEscapes) {
    EXPECT_EQ(Desktop(R"(XDG_DESKTOP_DIR="$HOME/Say \"Hi\" \$5 a\\b \n")"), R"(/home/ann/Say "Hi" $5 a\b \n)");
    EXPECT_EQ(Desktop(R"(XDG_DESKTOP_DIR=$HOME/Work\ Desk)"), "/home/ann/Work Desk");
    EXPECT_EQ(Desktop(R"(XDG_DESKTOP_DIR='/srv/it'\''s $HOME')"), "/srv/it's $HOME");
    EXPECT_EQ(Desktop(R"(XDG_DESKTOP_DIR="$HOME"/'Desk')"), "/home/ann/Desk");
    EXPECT_EQ(Desktop("XDG_DESKTOP_DIR=/srv/a#b  # the desk\r\n"), "/srv/a#b");
}

TEST(UserDirTest, TheLastUsableLineOfTheNameWins) {
    const std::string text =
        "# XDG_DESKTOP_DIR=\"/commented\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n"
        "  XDG_DESKTOP_DIR=\"$HOME/First\"\n"
        "XDG_DESKTOP_DIRECTORY=\"/other\"\n"
        "XDG_DESKTOP_DIR=\"$HOME/Second\"\n"
        "XDG_DESKTOP_DIR=\"Relative\"\n";
    EXPECT_EQ(Desktop(text), "/home/ann/Second");
    EXPECT_EQ(UserDir(text, "XDG_DOCUMENTS_DIR", "/home/ann", "Documents"), "/home/ann/Papers");
    EXPECT_EQ(UserDir(text, "XDG_MUSIC_DIR", "/home/ann", "Music"), "/home/ann/Music");
}

TEST(UserDirTest, ValuesThatNameNoPathFallBackBelowHome) {
    for (const char* line : {"", "XDG_DESKTOP_DIR=", "XDG_DESKTOP_DIR=\"\"", "XDG_DESKTOP_DIR=\"Desk\"",
                             "XDG_DESKTOP_DIR=\"\\$HOME/Desk\"", "XDG_DESKTOP_DIR=\"$HOMEDIR/Desk\"",
                             "XDG_DESKTOP_DIR=\"$XDG_DATA_HOME/Desk\"", "XDG_DESKTOP_DIR=\"$HOME/$(id)\"",
                             "XDG_DESKTOP_DIR=\"$HOME/Desk", "XDG_DESKTOP_DIR='/Desk",
                             "XDG_DESKTOP_DIR=/srv/a;rm", "XDG_DESKTOP_DIR=\"/srv/a\" /srv/b", "XDG_DESKTOP_DIR=/a\\"})
        EXPECT_EQ(Desktop(line), "/home/ann/Desktop") << line;
    EXPECT_EQ(Desktop("", "/"), "/Desktop");
}

}  // namespace
}  // namespace bayhaul
