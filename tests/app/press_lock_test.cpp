// One press at a time: the lock file in the user's state folder.
#include "press/press_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace bayhaul {
namespace {

TEST(PressLockTest, ASecondPressFindsTheFirstNamedAndGetsItsTurnOnceItEnds) {
    TempDir state;
    const std::string folder = state / "made/on/first/use";
    const PressLockTaker window = FilePressLock(folder, "the Bayhaul window");
    const PressLockTaker commandLine = FilePressLock(folder, "bayhaul --download");
    std::string why;
    {
        const std::unique_ptr<PressLock> held = window(why);
        ASSERT_TRUE(held) << why;
        EXPECT_FALSE(commandLine(why));
        EXPECT_EQ(why.rfind("Another press is running (the Bayhaul window, process ", 0), 0u) << why;
        EXPECT_NE(why.find(", since "), std::string::npos) << why;
        EXPECT_NE(why.find("). Try again when it has finished."), std::string::npos) << why;
    }
    EXPECT_TRUE(commandLine(why)) << why;
}

// The file says since when its holder has held the lock, rewritten each
// time the lock is taken, also by the process that took it last (a window
// open all day presses again, a process number comes back); a press that
// is refused leaves the holder's file as it is.
TEST(PressLockTest, TheFileSaysSinceWhenTheLockIsHeldAndOnlyItsHolderWritesIt) {
    TempDir state;
    const std::string file = state / "press.lock";
    WriteWholeFile(file, std::string(600, 'x') + "\n");
    std::string why;
    std::string held;
    {
        const auto watch = FilePressLock(state.Path(), "bayhaul --watch")(why);
        ASSERT_TRUE(watch) << why;
        held = ReadWholeFile(file);
        EXPECT_EQ(held.rfind("bayhaul --watch, process ", 0), 0u) << held;
        EXPECT_EQ(held.find('x'), std::string::npos) << held;
        EXPECT_FALSE(FilePressLock(state.Path(), "the Bayhaul window")(why));
        EXPECT_EQ(ReadWholeFile(file), held) << "a refused press writes nothing";
        EXPECT_EQ(why, "Another press is running (" + held.substr(0, held.find_last_not_of("\r\n") + 1) +
                           "). Try again when it has finished.");
    }

    WriteWholeFile(file, held.substr(0, held.find(", since ")) + ", since 2026-12-09 09:00:00\n");
    ASSERT_TRUE(FilePressLock(state.Path(), "bayhaul --watch")(why)) << why;
    EXPECT_EQ(ReadWholeFile(file).find("09:00:00"), std::string::npos) << "the same holder again, from now";
    EXPECT_EQ(ReadWholeFile(file).rfind(held.substr(0, held.find(", since ")), 0), 0u) << ReadWholeFile(file);
}

// The lock file is ours alone: a link at its name, to a file of the user's,
// is refused, and the file behind it is never written.
TEST(PressLockTest, ALinkAtTheLocksNameIsRefusedAndWhatItLeadsToIsUntouched) {
    TempDir state;
    WriteWholeFile(state / "letter.txt", "the user's own");
    std::error_code made;
    std::filesystem::create_hard_link(state / "letter.txt", state / "press.lock");
    std::string why;
    EXPECT_FALSE(FilePressLock(state.Path(), "bayhaul --download")(why));
    EXPECT_EQ(why.rfind("Cannot make sure that no other press runs: ", 0), 0u) << why;
    EXPECT_NE(why.find("press.lock has another name too (a hard link), so it may be another file: remove it."),
              std::string::npos)
        << why;
    std::filesystem::remove(state / "press.lock");

    std::filesystem::create_symlink(state / "letter.txt", state / "press.lock", made);
    if (made) GTEST_SKIP() << "no symbolic links here: " << made.message();
    EXPECT_FALSE(FilePressLock(state.Path(), "bayhaul --download")(why));
    EXPECT_NE(why.find("press.lock is a symbolic link, which Bayhaul does not follow: remove it."), std::string::npos)
        << why;
    EXPECT_EQ(ReadWholeFile(state / "letter.txt"), "the user's own");
}

TEST(PressLockTest, NoFolderForTheLockIsSaidInWords) {
    std::string why;
    EXPECT_FALSE(FilePressLock("", "bayhaul --download")(why));
    EXPECT_EQ(why.rfind("Cannot make sure that no other press runs: ", 0), 0u) << why;

    TempDir state;
    WriteWholeFile(state / "file", "");
    EXPECT_FALSE(FilePressLock(state / "file", "bayhaul --download")(why)) << "a file where the folder goes";
    EXPECT_EQ(why.rfind("Cannot make sure that no other press runs: cannot open ", 0), 0u) << why;
}

}  // namespace
}  // namespace bayhaul
