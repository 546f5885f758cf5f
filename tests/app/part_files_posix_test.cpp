// Part files of presses that ended without cleaning up: killed, or cut off
// by a power cut, here and on another computer sharing the folders.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "files/own_file.h"
#include "press/part_files.h"
#include "support/in_child.h"
#include "support/temp_dir.h"

namespace bayhaul {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

// A press in a process of its own that claims a part file for each of
// `ports` in `folder`, writes it and a temporary file beside it, and ends
// without releasing them, as a killed press does.
int KilledPress(const std::string& state, const std::string& folder, const std::vector<std::int16_t>& ports) {
    return RunInChild({}, [&] {
        PartFiles press(state, "2026-12-10 13:44:00 #" + std::to_string(::getpid()) + ".1");
        for (const std::int16_t port : ports) {
            std::string why;
            const std::string part = press.Claim(folder, "FORM", "DAT", port, why);
            if (part.empty()) return 1;
            WriteWholeFile(part, "a whole file waiting for its name");
            WriteWholeFile(part + ".new-" + ThisHost() + "-" + std::to_string(::getpid()) + "-7", "half");
        }
        std::fflush(nullptr);
        ::_exit(0);  // no clean-up at all
        return 0;
    });
}

TEST(PartFilesTest, WhatAKilledPressLeftAnywhereIsRemovedOnceAndSaid) {
    TempDir state, desktop, documents;
    WriteWholeFile(desktop / "FORM.DAT", "the user's saved file");
    ASSERT_EQ(KilledPress(state.Path(), desktop.Path(), {3, 4, 5, 6, 7, 8}), 0);
    ASSERT_EQ(KilledPress(state.Path(), documents.Path(), {9, 10}), 0);
    EXPECT_EQ(Entries(desktop.Path()).size(), 13u);

    // A press on other ports, which claims none of those names.
    const std::string words = RemoveUnfinishedFiles(state.Path());
    EXPECT_EQ(words.rfind("removed 16 unfinished files of 2 presses that ended, the last on ", 0), 0u) << words;
    EXPECT_EQ(Entries(desktop.Path()), std::vector<std::string>{"FORM.DAT"});
    EXPECT_TRUE(Entries(documents.Path()).empty());
    EXPECT_TRUE(Entries(state / kUnfinishedFolder).empty());
    EXPECT_EQ(RemoveUnfinishedFiles(state.Path()), "") << "said once";

    ASSERT_EQ(KilledPress(state.Path(), desktop.Path(), {3}), 0);
    const std::string one = RemoveUnfinishedFiles(state.Path());
    EXPECT_EQ(one.rfind("removed 2 unfinished files of a press that ended on ", 0), 0u) << one;
}

TEST(PartFilesTest, ANameAKilledPressLeftIsClaimedAgain) {
    TempDir state, desktop;
    ASSERT_EQ(KilledPress(state.Path(), desktop.Path(), {4}), 0);
    PartFiles press(state.Path(), "2026-12-10 14:00:00 #1.1");
    std::string why;
    const std::string part = press.Claim(desktop.Path(), "FORM", "DAT", 4, why);
    EXPECT_EQ(part, desktop / "FORM.DAT.COM4.bayhaul-part") << why;
    EXPECT_TRUE(Entries(desktop.Path()).empty()) << "the leftover and its temporary file went";
    EXPECT_EQ(Entries(state / kUnfinishedFolder).size(), 1u) << "the new claim's record alone";
}

// A power cut: after the restart the process number of the press that was
// cut off may belong to another process, which started at another time.
TEST(PartFilesTest, APressWhoseProcessNumberIsUsedAgainHasEnded) {
    TempDir state, desktop;
    ASSERT_EQ(KilledPress(state.Path(), desktop.Path(), {4}), 0);
    // Start times count in clock ticks (10 ms): the other process starts in a later one.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const pid_t other = ::fork();
    if (other == 0) {
        ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (const auto& entry : fs::directory_iterator(state / kUnfinishedFolder)) {
        std::string record = ReadWholeFile(entry.path().string());
        const std::size_t line = record.find("\nprocess ") + 9;
        record.replace(line, record.find('\n', line) - line, std::to_string(other));
        WriteWholeFile(entry.path().string(), record);
    }
    const std::string words = RemoveUnfinishedFiles(state.Path());
    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    EXPECT_EQ(words.rfind("removed 2 unfinished files of a press that ended on ", 0), 0u) << words;
    EXPECT_TRUE(Entries(desktop.Path()).empty());
}

// Folders shared by two computers: what a press of the other one claimed
// is never judged from here, whether that press runs or not.
TEST(PartFilesTest, AnotherComputersPartFilesAreLeftAlone) {
    TempDir state, desktop;
    const int made = RunInChild({}, [&] {
        if (::unshare(CLONE_NEWUTS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWUTS) != 0) return 77;
        const std::string other = "the-other-pc";
        if (::sethostname(other.c_str(), other.size()) != 0) return 77;
        return KilledPress(state.Path(), desktop.Path(), {4});
    });
    if (made == 77) GTEST_SKIP() << "no namespace for another host name here";
    ASSERT_EQ(made, 0);
    EXPECT_EQ(RemoveUnfinishedFiles(state.Path()), "");
    EXPECT_EQ(Entries(desktop.Path()).size(), 2u);
    std::string why;
    EXPECT_EQ(PartFiles(state.Path(), "x").Claim(desktop.Path(), "FORM", "DAT", 4, why), "");
    EXPECT_EQ(why, "the name " + desktop / "FORM.DAT.COM4.bayhaul-part" + " is in use by Bayhaul on the-other-pc");
}

}  // namespace
}  // namespace bayhaul
