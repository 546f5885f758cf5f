// One press at a time: the lock file in the user's state folder.
#include "press/press_lock.h"

#include <gtest/gtest.h>

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

// A watch takes the lock for every probe: the file is written when its holder
// changes, not each time, and then wholly replaced.
TEST(PressLockTest, TheFileIsWrittenOnlyWhenItsHolderChanges) {
    TempDir state;
    const std::string file = state / "press.lock";
    WriteWholeFile(file, std::string(600, 'x') + "\n");
    std::string why;
    ASSERT_TRUE(FilePressLock(state.Path(), "bayhaul --watch")(why)) << why;
    const std::string watch = ReadWholeFile(file);
    EXPECT_EQ(watch.rfind("bayhaul --watch, process ", 0), 0u) << watch;
    EXPECT_EQ(watch.find('x'), std::string::npos) << watch;

    const std::string earlier = watch.substr(0, watch.find(", since ")) + ", since earlier\n";
    WriteWholeFile(file, earlier);
    ASSERT_TRUE(FilePressLock(state.Path(), "bayhaul --watch")(why)) << why;
    EXPECT_EQ(ReadWholeFile(file), earlier) << "the same holder again";

    ASSERT_TRUE(FilePressLock(state.Path(), "the Bayhaul window")(why)) << why;
    EXPECT_EQ(ReadWholeFile(file).rfind("the Bayhaul window, process ", 0), 0u) << ReadWholeFile(file);
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
