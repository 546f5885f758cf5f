// A press gets the ports from an idle watch: it asks through the state
// folder, and is refused, naming the holder, only when the lock is still
// held a second later.
#include "press/press_handover.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "press/lock_file.h"
#include "support/temp_dir.h"

namespace bayhaul {
namespace {

using namespace std::chrono_literals;

TEST(PressHandoverTest, AWaitingPressIsHeardAndGetsTheLockOnceTheHolderLetsGo) {
    TempDir state;
    const PressRequests requests(state.Path());
    std::string why;
    std::unique_ptr<PressLock> watch = FilePressLock(state.Path(), "bayhaul --watch")(why);
    ASSERT_TRUE(watch) << why;
    EXPECT_FALSE(requests.Pending()) << "nobody asks yet";

    const PressLockTaker press =
        HandedOverPressLock(FilePressLock(state.Path(), "bayhaul --download"), state.Path(), 10s);
    auto taken = std::async(std::launch::async, [&] {
        std::string refused;
        return press(refused) != nullptr;
    });
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!requests.Pending() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(requests.Pending()) << "the waiting press is heard";
    watch.reset();
    EXPECT_TRUE(taken.get());
    EXPECT_FALSE(requests.Pending()) << "the press has the lock and asks no more";
}

TEST(PressHandoverTest, ALockStillHeldAfterTheWaitRefusesThePressNamingItsHolder) {
    TempDir state;
    std::string why;
    const std::unique_ptr<PressLock> collection = FilePressLock(state.Path(), "bayhaul --watch")(why);
    ASSERT_TRUE(collection) << why;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(HandedOverPressLock(FilePressLock(state.Path(), "the Bayhaul window"), state.Path(), 200ms)(why));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 200ms) << "it waited";
    EXPECT_EQ(why.rfind("Another press is running (bayhaul --watch, process ", 0), 0u) << why;
}

TEST(PressHandoverTest, SharedLocksStandTogetherAndKeepAnExclusiveOneOut) {
    TempDir state;
    const std::string path = state / "some.lock";
    LockFileTaken first = TakeLockFile(path, LockKind::Shared, false);
    LockFileTaken second = TakeLockFile(path, LockKind::Shared, false);
    ASSERT_TRUE(first.lock && second.lock) << first.error << second.error;
    EXPECT_TRUE(TakeLockFile(path, LockKind::Exclusive, false).busy);
    first.lock.reset();
    second.lock.reset();
    LockFileTaken alone = TakeLockFile(path, LockKind::Exclusive, false);
    ASSERT_TRUE(alone.lock) << alone.error;
    EXPECT_TRUE(TakeLockFile(path, LockKind::Shared, false).busy);
    alone.lock->Describe("a longer first text");
    alone.lock->Describe("short");
    EXPECT_EQ(ReadLockFile(path), "short") << "read while it is held";

    const LockFileTaken folder = TakeLockFile(state.Path(), LockKind::Shared, false);
    EXPECT_FALSE(folder.lock || folder.busy);
    EXPECT_NE(folder.error, "") << "a folder in its place is said";
}

}  // namespace
}  // namespace bayhaul
