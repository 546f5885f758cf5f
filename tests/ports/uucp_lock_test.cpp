// UUCP lock files: who holds a port, and which locks are stale.
#include "ports/uucp_lock.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace bayhaul::uucp {
namespace {

// Sets a file's modification time `seconds` before now.
void Age(const std::string& path, int seconds) {
    const timespec times[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(UucpLockTest, ALockWithoutANumberIsStaleAfterTheGraceAndOneOfAnEndedProcessAtOnce) {
    TempDir locks;
    const std::string lock = LockFileFor("/dev/ttyS0", locks.Path());
    EXPECT_EQ(lock, locks / "LCK..ttyS0");
    EXPECT_EQ(ReadLock(lock).state, Lock::State::None);
    for (const std::string text : {"", "garbled\n", "12ab\n", "\n\n"}) {
        SCOPED_TRACE("\"" + text + "\"");
        WriteWholeFile(lock, text);
        EXPECT_EQ(ReadLock(lock).state, Lock::State::Making) << "its creator may be writing it";
        EXPECT_EQ(HolderText(lock), "a program is taking it (" + lock + ")");
        Age(lock, kGrace.count() + 1);
        EXPECT_EQ(ReadLock(lock).state, Lock::State::Stale);
        Age(lock, -3600);
        EXPECT_EQ(ReadLock(lock).state, Lock::State::Stale) << "a clock set back keeps no lock young for ever";
    }
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    WriteWholeFile(lock, "   " + std::to_string(gone) + "\n");
    EXPECT_EQ(ReadLock(lock).state, Lock::State::Stale);
    EXPECT_EQ(ReadLock(lock).process, gone);
}

TEST(UucpLockTest, ARunningHolderIsNamedAsTheSystemNamesIt) {
    TempDir locks;
    const std::string lock = LockFileFor("/dev/ttyUSB0", locks.Path());
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    WriteWholeFile(lock, std::to_string(holder) + "\n");  // as ten digits are written too
    // The name is the program's once exec has run.
    for (int tries = 0; tries < 100 && HolderText(lock).rfind("sleep", 0) != 0; ++tries) ::usleep(10000);
    EXPECT_EQ(ReadLock(lock).state, Lock::State::Held);
    EXPECT_EQ(HolderText(lock), "sleep, process " + std::to_string(holder));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(HolderText(lock),
              "its lock file " + lock + " is left from a program that ended, and Bayhaul may not remove it");
}

}  // namespace
}  // namespace bayhaul::uucp
