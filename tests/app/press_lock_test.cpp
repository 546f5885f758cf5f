// One press at a time: the lock file in the user's state folder.
#include "app/press_lock.h"

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
