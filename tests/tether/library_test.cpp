// The terminal library, loaded as the program loads it, against the
// simulator on pseudo-terminals. Each test has its own virtual-port folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <csignal>
#include <filesystem>
#include <thread>

#include "sim/child_process.h"
#include "link/tether_api.h"
#include "link/tether_library.h"
#include "support/in_child.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"
#include "ymodem_support.h"

namespace bayhaul::tether {
namespace {

using namespace testing;
using sim::ChildProcess;
using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// The library under test, loaded by the program's own loader from the
// folder it was built into.
const TetherFunctions& Library() {
    static TetherLibrary library(std::filesystem::path(TETHER_LIBRARY_PATH).parent_path());
    static const TetherFunctions none{};
    LoadError error;
    const TetherFunctions* functions = library.Functions(error);
    EXPECT_NE(functions, nullptr) << error.Message();
    return functions ? *functions : none;
}

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.Set("XDG_RUNTIME_DIR", runtime_.Path());
        ASSERT_NE(Library().Tether_Destroy, nullptr);
    }

    void TearDown() override {
        for (LinkHandle h : handles_) api().Tether_Destroy(h);
    }

    const TetherFunctions& api() const { return Library(); }

    // Starts a simulator on COM<com> serving `storage_` and waits until it is ready.
    std::unique_ptr<ChildProcess> StartTerminal(int com, std::vector<std::string> extra = {}) {
        auto terminal = ChildProcess::StartSimulator({SIMULATOR_PATH}, com, storage_.Path(), extra,
                                                     {{"XDG_RUNTIME_DIR", runtime_.Path()}});
        EXPECT_TRUE(terminal) << "simulator did not start on COM" << com;
        return terminal;
    }

    LinkHandle NewHandle(int com, char setting) {
        const LinkHandle h = api().Tether_Create();
        EXPECT_GT(h, 0);
        handles_.push_back(h);
        EXPECT_EQ(api().Tether_SetupEx(h, static_cast<std::int16_t>(com), static_cast<std::uint8_t>(setting), '1', 'N'),
                  1);
        return h;
    }

    LinkHandle Connected(int com, char setting = '8') {
        const LinkHandle h = NewHandle(com, setting);
        EXPECT_EQ(api().Tether_Connect(h), 1);
        return h;
    }

    std::int16_t Query(LinkHandle h, const std::string& name) {
        std::string buffer = name;
        auto length = static_cast<std::uint8_t>(name.size());
        return api().Tether_ESC_J(h, 65, buffer.data(), &length);
    }

    // Starts a download and polls until it ends (bounded); the final status.
    std::int16_t Download(LinkHandle h, const std::string& target, std::chrono::seconds bound = 60s) {
        std::string path = target;
        const std::int16_t started = api().Tether_UpLoad(h, 65, path.data(), "FORM.DAT", 0, 3);
        if (started <= 0) return -1000 + started;
        std::int32_t received = 0, total = 0;
        const auto deadline = SteadyClock::now() + bound;
        std::int16_t status = 0;
        while ((status = api().Tether_StLoad(h, 0, &received, &total)) < 2 && SteadyClock::now() < deadline) {
            std::this_thread::sleep_for(2ms);
        }
        return api().Tether_StLoad(h, 1, &received, &total);
    }

    void PutFile(const std::vector<std::uint8_t>& data) { WriteFileBytes(storage_ / "FORM.DAT", data); }

    // Anything the transfer left in the target folder.
    std::vector<std::string> TargetFolderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(target_.Path())) names.push_back(e.path().filename());
        return names;
    }

    TempDir runtime_;
    TempDir storage_;
    TempDir target_;
    ScopedEnv env_;
    std::vector<LinkHandle> handles_;
};

TEST_F(LibraryTest, ConnectsAtEitherSettingAndFailsFastAtTheOtherSpeed) {
    auto fast = StartTerminal(41, {"--setting", "8"});
    auto slow = StartTerminal(42, {"--setting", "9"});
    const LinkHandle first = NewHandle(41, '8');
    EXPECT_EQ(api().Tether_Connect(first), 1);
    EXPECT_EQ(api().Tether_Connect(NewHandle(42, '9')), 1);
    EXPECT_EQ(api().Tether_Disconnect(first), 1);  // frees COM41 for the next try

    const LinkHandle wrongSpeed = NewHandle(41, '9');
    const auto started = SteadyClock::now();
    EXPECT_EQ(api().Tether_Connect(wrongSpeed), 0);
    EXPECT_LT(SteadyClock::now() - started, 2s);
}

TEST_F(LibraryTest, SilentOrMissingPortsFailFastAndABusyPortIsReported) {
    auto silent = StartTerminal(43, {"--no-answer"});
    const auto started = SteadyClock::now();
    EXPECT_EQ(api().Tether_Connect(NewHandle(43, '8')), 0);
    EXPECT_LT(SteadyClock::now() - started, 2s);
    EXPECT_EQ(api().Tether_Connect(NewHandle(44, '8')), -3);  // nothing published as COM44

    auto terminal = StartTerminal(45);
    Connected(45);
    EXPECT_EQ(api().Tether_Connect(NewHandle(45, '8')), -4);  // the first handle holds the port
}

TEST_F(LibraryTest, QueryTellsDataEmptyAndMissingApart) {
    auto terminal = StartTerminal(46);
    const LinkHandle h = Connected(46);
    PutFile({1, 2, 3});
    EXPECT_EQ(Query(h, "FORM.DAT"), 8);
    PutFile({});
    EXPECT_EQ(Query(h, "FORM.DAT"), 6);
    std::filesystem::remove(storage_ / "FORM.DAT");
    EXPECT_EQ(Query(h, "FORM.DAT"), 0);
    EXPECT_EQ(Query(h, "../x"), -10);  // the terminal refuses names outside its storage
}

TEST_F(LibraryTest, UploadsAreByteIdenticalOnEdgeSizes) {
    auto terminal = StartTerminal(47);
    const LinkHandle h = Connected(47);
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{1023}, std::size_t{1024}, std::size_t{1025},
                             std::size_t{1} << 20}) {
        const auto data = RandomBytes(size, static_cast<unsigned>(size));
        PutFile(data);
        const std::string target = target_ / ("copy-" + std::to_string(size));
        EXPECT_EQ(Download(h, target), 2) << "size " << size;
        std::int32_t received = -1, total = -1;
        EXPECT_EQ(api().Tether_StLoad(h, 1, &received, &total), 2);
        EXPECT_EQ(received, static_cast<std::int32_t>(size));
        EXPECT_EQ(total, static_cast<std::int32_t>(size));
        EXPECT_EQ(ReadFileBytes(target), data) << "size " << size;
    }
    EXPECT_EQ(TargetFolderEntries().size(), 6u);  // no temporary file left behind
}

TEST_F(LibraryTest, DeleteAndClockActOnTheTerminal) {
    auto terminal = StartTerminal(48);
    const LinkHandle h = Connected(48);
    PutFile({1});
    EXPECT_EQ(api().Tether_ESC_E(h, 65, "FORM.DAT", 8), 1);
    EXPECT_FALSE(std::filesystem::exists(storage_ / "FORM.DAT"));
    EXPECT_EQ(api().Tether_ESC_E(h, 65, "FORM.DAT", 8), 0);

    std::string stamp = "20240229235958";
    EXPECT_EQ(api().Tether_ESC_M(h, 65, stamp.data()), 1);
    EXPECT_EQ(stamp, "20240229235958");
    const auto clock = ReadFileBytes(storage_ / "CLOCK");
    EXPECT_EQ(std::string(clock.begin(), clock.end()), "20240229235958");

    std::string invalid = "20240230120000";
    EXPECT_EQ(api().Tether_ESC_M(h, 65, invalid.data()), -7);
    EXPECT_EQ(api().Tether_ESC_E(h, 66, "FORM.DAT", 8), -7);
}

TEST_F(LibraryTest, ANoisyLineStillGivesAnIdenticalFile) {
    auto terminal = StartTerminal(49, {"--noise", "0.002"});  // both ways: a bad cable
    const auto data = RandomBytes(6000);
    PutFile(data);
    const LinkHandle h = Connected(49);
    const std::string target = target_ / "noisy";
    EXPECT_EQ(Download(h, target), 2);
    EXPECT_EQ(ReadFileBytes(target), data);
}

// The simulator's "send" and "rewritten" lines, up to the end of the
// transfer: the end of the `phases`-th file phase that was sent whole.
std::vector<std::string> SendLines(ChildProcess& terminal, int phases = 1) {
    std::vector<std::string> sends;
    while (const auto line = terminal.ReadLine(2s)) {
        if (line->rfind("send FORM.DAT", 0) == 0 || line->rfind("rewritten", 0) == 0) sends.push_back(*line);
        if (line->find(": sent") != std::string::npos && --phases == 0) break;
    }
    return sends;
}

TEST_F(LibraryTest, AStreamingErrorResumesFromTheFirstByteNotReceived) {
    // The file phase: block 0 (133 bytes), four 1024-byte blocks (1029 each), one for the last 904.
    struct Case {
        const char* where;
        std::int64_t corruptAt;
        const char* resumedFrom;
    };
    const Case cases[] = {
        {"first block", 133 + 10, "from 0"},
        {"a middle block", 133 + 2 * 1029 + 100, "from 2048"},
        {"the last block", 133 + 5 * 1029 - 50, "from 4096"},
    };
    const auto data = RandomBytes(5000);
    PutFile(data);
    int com = 55;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        auto terminal = StartTerminal(com, {"--corrupt-at", std::to_string(c.corruptAt)});
        const LinkHandle h = Connected(com++);
        const std::string target = target_ / c.where;
        EXPECT_EQ(Download(h, target), 2);
        EXPECT_EQ(ReadFileBytes(target), data);
        const auto sends = SendLines(*terminal);
        ASSERT_EQ(sends.size(), 2u);
        EXPECT_EQ(sends[1], std::string("send FORM.DAT: 5000 bytes ") + c.resumedFrom);
    }
}

// A terminal that took new records between the two parts of a resumed
// copy: the copy has the right size but mixes old and new bytes. Checked
// whole against the terminal's file, it is copied again from its start.
TEST_F(LibraryTest, AFileRewrittenBetweenThePartsOfAResumedCopyIsCopiedAgainWhole) {
    const auto data = RandomBytes(5000);
    PutFile(data);
    // Rewritten while the second block goes out, broken in the third.
    auto terminal = StartTerminal(60, {"--rewrite-at", "1200", "--corrupt-at", std::to_string(133 + 2 * 1029 + 100)});
    const LinkHandle h = Connected(60);
    EXPECT_EQ(Download(h, target_ / "rewritten"), 2);
    std::vector<std::uint8_t> now = data;
    for (std::uint8_t& byte : now) byte = static_cast<std::uint8_t>(~byte);
    ASSERT_EQ(ReadFileBytes(storage_ / "FORM.DAT"), now);
    EXPECT_TRUE(ReadFileBytes(target_ / "rewritten") == now) << "the terminal's file as it is, never a mix";
    EXPECT_EQ(SendLines(*terminal, 2),
              (std::vector<std::string>{"send FORM.DAT: 5000 bytes", "rewritten FORM.DAT",
                                        "send FORM.DAT: 5000 bytes from 2048", "send FORM.DAT: 5000 bytes"}));
}

// A file that changes during every copy is never called copied.
TEST_F(LibraryTest, AFileThatKeepsChangingFailsAfterASecondCopy) {
    const std::size_t size = 20000;
    PutFile(RandomBytes(size));
    auto terminal = StartTerminal(61, {"--pace"});  // 1.7 s a copy
    const LinkHandle h = Connected(61);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        // In place, so the terminal always finds a file of the same size.
        for (unsigned round = 0; !done; ++round) {
            std::fstream file(storage_ / "FORM.DAT", std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(round * 997 % size));
            file.put(static_cast<char>(round));
            file.close();
            std::this_thread::sleep_for(50ms);
        }
    });
    const std::int16_t status = Download(h, target_ / "changing");
    done = true;
    writer.join();
    EXPECT_EQ(status, 19);
    EXPECT_TRUE(TargetFolderEntries().empty());
    EXPECT_EQ(SendLines(*terminal, 2), std::vector<std::string>(2, "send FORM.DAT: 20000 bytes"));
}

TEST_F(LibraryTest, AFirstVersionTerminalGetsTheWholeFileAskedForAgain) {
    auto terminal = StartTerminal(58, {"--protocol", "1", "--corrupt-at", "2291"});
    const auto data = RandomBytes(5000);
    PutFile(data);
    const LinkHandle h = Connected(58);
    EXPECT_EQ(Download(h, target_ / "v1"), 2);
    EXPECT_EQ(ReadFileBytes(target_ / "v1"), data);
    EXPECT_EQ(SendLines(*terminal), (std::vector<std::string>(2, "send FORM.DAT: 5000 bytes")));
}

TEST_F(LibraryTest, AStalledTransferFailsWithinTheBoundAndLeavesNoFile) {
    auto terminal = StartTerminal(50, {"--stall-after", "3000"});
    PutFile(RandomBytes(20000));
    const LinkHandle h = Connected(50);
    const auto started = SteadyClock::now();
    EXPECT_EQ(Download(h, target_ / "stalled", 20s), 7);
    EXPECT_LT(SteadyClock::now() - started, 10s);
    EXPECT_TRUE(TargetFolderEntries().empty());
}

TEST_F(LibraryTest, AHangUpMidFileFailsAndTheTerminalServesAgain) {
    auto terminal = StartTerminal(51, {"--hangup-after", "3000"});
    PutFile(RandomBytes(20000));
    const LinkHandle h = Connected(51);
    EXPECT_EQ(Download(h, target_ / "cut", 10s), 8);
    EXPECT_TRUE(TargetFolderEntries().empty());
    EXPECT_EQ(Query(h, "FORM.DAT"), -9);  // the old line is gone
    ASSERT_TRUE(terminal->ReadLine(5s));  // identify
    std::optional<std::string> line;
    while ((line = terminal->ReadLine(5s)) && line->rfind("ready", 0) != 0) {
    }
    ASSERT_TRUE(line) << "the simulator did not publish a new line";
    EXPECT_EQ(api().Tether_Connect(h), 1);
}

TEST_F(LibraryTest, DisconnectCancelsARunningTransferAndWaitsForIt) {
    auto terminal = StartTerminal(52, {"--setting", "9", "--pace"});
    PutFile(RandomBytes(100000));  // about 100 s at 9600 bit/s
    const LinkHandle h = Connected(52, '9');
    std::string path = target_ / "cancelled";
    ASSERT_EQ(api().Tether_UpLoad(h, 65, path.data(), "FORM.DAT", 0, 3), 1);
    std::int32_t received = 0, total = 0;
    const auto deadline = SteadyClock::now() + 10s;
    while (received == 0 && SteadyClock::now() < deadline) {
        EXPECT_LT(api().Tether_StLoad(h, 0, &received, &total), 2);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_GT(received, 0);
    EXPECT_EQ(api().Tether_ESC_E(h, 65, "FORM.DAT", 8), -8);  // busy while the transfer runs
    const auto started = SteadyClock::now();
    EXPECT_EQ(api().Tether_Disconnect(h), 1);
    EXPECT_LT(SteadyClock::now() - started, 2s);
    EXPECT_EQ(api().Tether_StLoad(h, 1, &received, &total), 12);
    EXPECT_TRUE(TargetFolderEntries().empty());
    EXPECT_TRUE(std::filesystem::exists(storage_ / "FORM.DAT"));
}

TEST_F(LibraryTest, BadAndReleasedHandlesAreRefusedWithoutHarm) {
    const LinkHandle released = api().Tether_Create();
    ASSERT_GT(released, 0);
    EXPECT_EQ(api().Tether_Destroy(released), 1);
    for (LinkHandle h : {LinkHandle{0}, LinkHandle{-5}, LinkHandle{987654}, released}) {
        std::string name = "FORM.DAT", path = target_ / "x", stamp = "20240101000000";
        std::uint8_t length = 8;
        std::int32_t received = 7, total = 7;
        EXPECT_EQ(api().Tether_SetupEx(h, 1, '8', '1', 'N'), -1);
        EXPECT_EQ(api().Tether_Connect(h), -1);
        EXPECT_EQ(api().Tether_ESC_J(h, 65, name.data(), &length), -1);
        EXPECT_EQ(api().Tether_UpLoad(h, 65, path.data(), "FORM.DAT", 0, 3), 0);
        EXPECT_EQ(api().Tether_StLoad(h, 0, &received, &total), 3);  // 2 or more: a waiting caller stops
        EXPECT_EQ(api().Tether_ESC_E(h, 65, "FORM.DAT", 8), -1);
        EXPECT_EQ(api().Tether_ESC_M(h, 65, stamp.data()), -1);
        EXPECT_EQ(api().Tether_Disconnect(h), -1);
        EXPECT_EQ(api().Tether_Destroy(h), -1);
    }
    EXPECT_TRUE(TargetFolderEntries().empty());
}

TEST_F(LibraryTest, CallsBeforeSetupOrConnectionSayWhatIsMissing) {
    const LinkHandle h = api().Tether_Create();
    handles_.push_back(h);
    EXPECT_EQ(api().Tether_Connect(h), -2);
    EXPECT_EQ(api().Tether_SetupEx(h, 1, '7', '1', 'N'), -7);
    EXPECT_EQ(api().Tether_SetupEx(h, 0, '8', '1', 'N'), -7);
    EXPECT_EQ(Query(h, "FORM.DAT"), -6);
    std::string path = target_ / "x";
    EXPECT_EQ(api().Tether_UpLoad(h, 65, path.data(), "FORM.DAT", 0, 3), 0);
    EXPECT_EQ(api().Tether_StLoad(h, 1, nullptr, nullptr), 4);
    EXPECT_EQ(api().Tether_StLoad(h, 2, nullptr, nullptr), 13);
}

TEST_F(LibraryTest, ADeleteAfterACopyRemovesOnlyTheFileThatWasCopied) {
    struct Case {
        const char* what;
        std::vector<std::string> options;
        bool changeAfterCopy;
        std::int16_t deleted;
        bool kept;
    };
    const Case cases[] = {
        {"unchanged", {}, false, 1, false},
        {"grown after the copy", {}, true, 2, true},
        {"a version 2 terminal deletes by name", {"--protocol", "2"}, true, 1, false},
    };
    int com = 60;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutFile(RandomBytes(3000));
        auto terminal = StartTerminal(com, c.options);
        const LinkHandle h = Connected(com++);
        ASSERT_EQ(Download(h, target_ / c.what), 2);
        if (c.changeAfterCopy) PutFile(RandomBytes(3100));  // new records arrived meanwhile
        EXPECT_EQ(api().Tether_ESC_E(h, 65, "FORM.DAT", 8), c.deleted);
        EXPECT_EQ(std::filesystem::exists(storage_ / "FORM.DAT"), c.kept);
    }
}

TEST_F(LibraryTest, AFileThatCannotBeWrittenSaysWhy) {
    auto terminal = StartTerminal(63);
    PutFile(RandomBytes(100));
    const LinkHandle h = Connected(63);
    std::filesystem::create_directory(target_ / "FORM.DAT");
    EXPECT_EQ(Download(h, target_ / "FORM.DAT"), -1000);  // nothing started
    EXPECT_EQ(api().Tether_StLoad(h, 1, nullptr, nullptr), 18) << "a folder is in the way";
    EXPECT_EQ(Download(h, target_ / std::string(300, 'x')), -1000);
    EXPECT_EQ(api().Tether_StLoad(h, 1, nullptr, nullptr), 17) << "the name is too long";
    EXPECT_EQ(Download(h, target_ / "missing/FORM.DAT"), -1000);
    EXPECT_EQ(api().Tether_StLoad(h, 1, nullptr, nullptr), 11);
}

TEST_F(LibraryTest, AClosedPortIsFreeForAnOrdinaryUserAndALockFileIsHonoured) {
    auto terminal = StartTerminal(64);
    const std::string device = std::filesystem::read_symlink(runtime_ / "bayhaul/ports/COM64");
    // Open to an ordinary user: the device and the way to its link.
    ::chmod(device.c_str(), 0666);
    for (const std::string& folder : {runtime_.Path(), runtime_ / "bayhaul", runtime_ / "bayhaul/ports"})
        ::chmod(folder.c_str(), 0755);
    const LinkHandle h = Connected(64);
    EXPECT_EQ(api().Tether_Disconnect(h), 1);
    // The device's exclusive use went with the line: an ordinary user, whom
    // it would stop (root passes it), opens it again.
    EXPECT_EQ(RunInChild({true, -1},
                         [&] {
                             const LinkHandle again = api().Tether_Create();
                             api().Tether_SetupEx(again, 64, '8', '1', 'N');
                             const bool connected = api().Tether_Connect(again) == 1;
                             api().Tether_Destroy(again);
                             return connected ? 0 : 1;
                         }),
              0);

    // A serial program's lock file naming a running process (init, here).
    std::string name = device.substr(std::string("/dev/").size());
    std::replace(name.begin(), name.end(), '/', '_');
    const std::string lockFile = "/var/lock/LCK.." + name;
    // Written afresh: the lock folder is shared, and not even root may open
    // another user's file there for writing.
    const auto putLock = [&](const std::string& text) {
        std::filesystem::remove(lockFile);
        WriteWholeFile(lockFile, text);
    };
    ASSERT_FALSE(std::filesystem::exists(lockFile)) << "the ordinary user gave its lock back";
    putLock("         1\n");
    EXPECT_EQ(api().Tether_Connect(h), -4);
    // One that names a process that has ended is stale.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    putLock(std::to_string(gone) + "\n");
    EXPECT_EQ(api().Tether_Connect(h), 1);
    EXPECT_EQ(std::stoi(ReadWholeFile(lockFile)), getpid()) << "taken while the port is open";
    EXPECT_EQ(api().Tether_Disconnect(h), 1);
    EXPECT_FALSE(std::filesystem::exists(lockFile)) << "and given back";
}

TEST_F(LibraryTest, ATerminalStillStreamingToAPCThatWentAwayAnswersTheNextConnectAtOnce) {
    auto terminal = StartTerminal(65, {"--pace"});
    PutFile(RandomBytes(200000));  // about 17 s on the line
    // A press in another process starts the transfer and is killed.
    const int killed = RunInChild({false, -1}, [&] {
        const LinkHandle h = api().Tether_Create();
        api().Tether_SetupEx(h, 65, '8', '1', 'N');
        std::string path = target_ / "FORM.DAT";
        if (api().Tether_Connect(h) != 1 || api().Tether_UpLoad(h, 65, path.data(), "FORM.DAT", 0, 3) != 1) return 1;
        std::int32_t received = 0;
        while (received < 20000) {
            api().Tether_StLoad(h, 0, &received, nullptr);
            std::this_thread::sleep_for(5ms);
        }
        raise(SIGKILL);
        return 2;
    });
    ASSERT_EQ(killed, 128 + SIGKILL);
    EXPECT_TRUE(TargetFolderEntries().empty()) << "the killed press left nothing behind";
    const auto started = SteadyClock::now();
    const LinkHandle h = NewHandle(65, '8');
    EXPECT_EQ(api().Tether_Connect(h), 1);
    EXPECT_LT(SteadyClock::now() - started, 2s);
}

}  // namespace
}  // namespace bayhaul::tether
