// bayhaul --watch against simulated terminals that arrive, are switched on
// and off, and leave, while it runs.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "press/history.h"
#include "press/port_watch.h"
#include "simulated_terminals.h"

namespace bayhaul {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Child = sim::ChildProcess;

class WatchTest : public ::testing::Test {
protected:
    std::unique_ptr<Child> Watch() {
        auto watch = Child::Start({{BAYHAUL_PATH, "--watch"}, terminals.work.Path(), {}, -1, true});
        const auto first = watch ? watch->ReadLine(10s) : std::nullopt;
        EXPECT_EQ(first.value_or("(nothing)"), "Watching the serial ports for terminals; Ctrl+C stops.");
        return watch;
    }

    // The next line the watch prints about COM43, within `wait`.
    static std::optional<std::string> Collection(Child& watch, std::chrono::seconds wait) {
        const auto end = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < end) {
            const auto line = watch.ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now()));
            if (!line) return std::nullopt;
            if (line->find(" COM43: ") != std::string::npos) return line;
        }
        return std::nullopt;
    }

    void Settings(bool deleteOn) {
        WriteWholeFile(terminals.Settings(), std::string("0\r\n") + (deleteOn ? "1" : "0") + "\r\nDesktop\r\nFORM\r\nDAT\r\n");
    }

    testing::SimulatedTerminals terminals;
};

TEST_F(WatchTest, ATerminalWhosePortAppearsIsCollectedOnceWhileItStays) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 31);
    Settings(false);
    auto watch = Watch();
    ASSERT_TRUE(watch);
    std::this_thread::sleep_for(1s);
    const auto docked = std::chrono::steady_clock::now();
    terminals.Start(43, data);
    const auto line = Collection(*watch, 15s);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - docked).count();
    ASSERT_TRUE(line) << "not collected";
    std::printf("collected %.1f s after its port appeared\n", seconds);
    EXPECT_NE(line->find("COM43: saved " + terminals.Desktop("FORM.DAT") + " (3,000 bytes)"), std::string::npos)
        << *line;
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data);
    EXPECT_FALSE(Collection(*watch, 7s)) << "collected again while it stayed";
    watch->Signal(SIGTERM);
    EXPECT_EQ(watch->ReadLine(10s).value_or("(nothing)"), "Stopped.");
    EXPECT_EQ(watch->Wait(10s), 0);
}

TEST_F(WatchTest, ATerminalSwitchedOnInItsCradleIsCollectedAndAgainAfterItWasOff) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 32);
    Settings(false);
    terminals.Start(43, data, {"--switched-off"});
    auto watch = Watch();
    ASSERT_TRUE(watch);
    EXPECT_FALSE(Collection(*watch, 3s)) << "nothing answers yet";

    terminals.Signal(43, SIGUSR1);  // switched on
    auto line = Collection(*watch, 15s);
    ASSERT_TRUE(line);
    EXPECT_NE(line->find("COM43: saved " + terminals.Desktop("FORM.DAT")), std::string::npos) << *line;

    terminals.Signal(43, SIGUSR2);  // off: the next two probes find it gone
    std::this_thread::sleep_for(2 * PortWatch::kProbeEvery + 2s);
    terminals.Signal(43, SIGUSR1);  // and on again: a second docking
    line = Collection(*watch, 15s);
    ASSERT_TRUE(line);
    EXPECT_NE(line->find("COM43: saved " + terminals.Desktop("FORM02.DAT")), std::string::npos)
        << *line << ": a file of the same run is never replaced";
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data);
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM02.DAT")) == data);
}

TEST_F(WatchTest, AStopInTheMiddleOfACollectionKeepsTheTerminalsDataAndLeavesNoFile) {
    const std::string data = testing::SimulatedTerminals::RandomData(60000, 33);  // 5 s on a paced line
    const std::string storage = terminals.Start(43, data, {"--pace"});
    Settings(true);
    auto watch = Watch();
    ASSERT_TRUE(watch);
    std::this_thread::sleep_for(2500ms);  // well into the transfer
    watch->Signal(SIGTERM);
    EXPECT_EQ(watch->Wait(10s), 0);
    EXPECT_TRUE(ReadWholeFile(storage + "/FORM.DAT") == data);
    EXPECT_TRUE(fs::is_empty(terminals.home / "Desktop"));
}

// A terminal that fails keeps failing while it stays docked: it is tried
// again and again, but said and recorded once, and its leaving is said. A
// terminal without a file is said once and recorded nowhere.
TEST_F(WatchTest, AFailingTerminalIsSaidAndRecordedOnceWhileItStays) {
    terminals.Start(43, testing::SimulatedTerminals::RandomData(3000, 35), {"--ignore-queries"});
    terminals.Start(44, std::nullopt);
    Settings(false);
    auto watch = Watch();
    ASSERT_TRUE(watch);
    std::vector<std::string> lines;
    const auto end = std::chrono::steady_clock::now() + 60s;  // tried at 0, 5, 15 and 35 s
    while (const auto line = watch->ReadLine(std::chrono::duration_cast<std::chrono::milliseconds>(
               std::max<std::chrono::steady_clock::duration>(end - std::chrono::steady_clock::now(), 0s)))) {
        lines.push_back(*line);
    }
    ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
    const std::string& failed = lines[0].find(" COM43: ") != std::string::npos ? lines[0] : lines[1];
    const std::string& empty = lines[0].find(" COM44: ") != std::string::npos ? lines[0] : lines[1];
    EXPECT_NE(failed.find(" COM43: not saved: asking the terminal for FORM.DAT failed"), std::string::npos) << failed;
    EXPECT_NE(empty.find(" COM44: the terminal has no FORM.DAT"), std::string::npos) << empty;
    std::vector<std::string> recorded;
    for (const HistoryRecord& record : ReadHistory(terminals.StateFolder())) recorded.push_back(record.port);
    EXPECT_EQ(recorded, std::vector<std::string>{"COM43"});

    terminals.Signal(43, SIGTERM);  // undocked: its port goes
    const auto left = Collection(*watch, 10s);
    ASSERT_TRUE(left);
    EXPECT_NE(left->find(" COM43: the terminal left unsaved; it keeps its data"), std::string::npos) << *left;
}

// A terminal docked while a press of the user runs is collected after it,
// under a name of its own: the file the press saved stays, and nothing is
// replaced. A second watch does not start.
TEST_F(WatchTest, AWatchNeverReplacesAFileAPressSavedAfterItStartedAndRunsAlone) {
    const std::string pressed = testing::SimulatedTerminals::RandomData(60000, 36);  // 5 s on a paced line
    const std::string docked = testing::SimulatedTerminals::RandomData(3000, 37);
    terminals.Start(43, pressed, {"--pace"});
    Settings(true);
    auto press = Child::Start({{BAYHAUL_PATH, "--download"}, terminals.work.Path(), {}, -1, true});
    ASSERT_TRUE(press);
    ASSERT_EQ(press->ReadLine(10s), "Searching...") << "the press has the lock";
    auto watch = Watch();  // it waits for the press
    ASSERT_TRUE(watch);
    auto second = Child::Start({{BAYHAUL_PATH, "--watch"}, terminals.work.Path(), {}, -1, true});
    ASSERT_TRUE(second);
    const auto refused = second->ReadLine(10s);
    EXPECT_EQ(second->Wait(10s), 2);
    EXPECT_EQ(refused.value_or("").rfind("Another watch is running (bayhaul --watch, process " +
                                             std::to_string(watch->pid()) + ", since ",
                                         0),
              0u)
        << refused.value_or("(nothing)");

    terminals.Start(44, docked);
    std::string output;
    while (const auto line = press->ReadLine(30s)) output += *line + "\n";
    ASSERT_EQ(press->Wait(10s), 0) << output;
    const auto end = std::chrono::steady_clock::now() + 20s;
    std::optional<std::string> line;
    while ((line = watch->ReadLine(5s)) && line->find(" COM44: ") == std::string::npos &&
           std::chrono::steady_clock::now() < end) {
    }
    ASSERT_TRUE(line) << "COM44 was not collected";
    EXPECT_NE(line->find(" COM44: saved " + terminals.Desktop("FORM02.DAT")), std::string::npos) << *line;
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == pressed);
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM02.DAT")) == docked);
    EXPECT_FALSE(fs::exists(terminals.StateFolder() + "/replaced")) << "nothing was replaced";
}

// settings.ini is read before each collection: a box unticked in the
// window while the watch runs counts from the next docking, and a file
// that cannot be read is said on the line of the collection it concerns.
TEST_F(WatchTest, EachCollectionFollowsTheSettingsOfNow) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 38);
    Settings(true);
    auto watch = Watch();
    ASSERT_TRUE(watch);
    const std::string first = terminals.Start(43, data);
    auto line = Collection(*watch, 15s);
    ASSERT_TRUE(line);
    EXPECT_NE(line->find("COM43: saved " + terminals.Desktop("FORM.DAT") + " (3,000 bytes)"), std::string::npos)
        << *line;
    EXPECT_FALSE(fs::exists(first + "/FORM.DAT")) << "deleted, as the settings said";

    Settings(false);  // "Auto Delete" unticked in the window
    terminals.Signal(43, SIGTERM);
    const std::string second = terminals.Start(45, data);
    const auto end = std::chrono::steady_clock::now() + 15s;
    while ((line = watch->ReadLine(15s)) && line->find(" COM45: ") == std::string::npos &&
           std::chrono::steady_clock::now() < end) {
    }
    ASSERT_TRUE(line);
    EXPECT_NE(line->find("COM45: saved " + terminals.Desktop("FORM02.DAT") + " (3,000 bytes)"), std::string::npos)
        << *line;
    EXPECT_EQ(line->find("settings.ini"), std::string::npos) << *line;
    EXPECT_TRUE(ReadWholeFile(second + "/FORM.DAT") == data) << "kept on the terminal";

    fs::remove(terminals.Settings());
    fs::create_directory(terminals.Settings());  // nothing the watch can read
    terminals.Start(43, data);
    line = Collection(*watch, 15s);
    ASSERT_TRUE(line);
    EXPECT_NE(line->find("COM43: saved " + terminals.Desktop("FORM03.DAT") + " (3,000 bytes); the terminal's "
                         "clock set; " + terminals.Settings() + " is not a file, so the default settings were used"),
              std::string::npos)
        << *line;
}

// With a session bus, each collection raises a desktop notification; here
// the bus is the test's own, and its notification service prints what it
// is sent.
TEST_F(WatchTest, ACollectionRaisesADesktopNotification) {
    ASSERT_TRUE(fs::exists("/usr/bin/dbus-daemon")) << "scripts/install-deps.sh tests installs dbus-daemon";
    auto bus = Child::Start({{"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}, "", {}, -1, true});
    ASSERT_TRUE(bus);
    const std::optional<std::string> address = bus->ReadLine(10s);
    ASSERT_TRUE(address) << "the session bus did not start";
    const std::vector<std::pair<std::string, std::string>> session{{"DBUS_SESSION_BUS_ADDRESS", *address}};
    auto service = Child::Start({{NOTIFICATION_LISTENER_PATH}, "", session, -1, true});
    ASSERT_TRUE(service);
    ASSERT_EQ(service->ReadLine(10s), "ready");

    Settings(false);
    auto watch = Child::Start({{BAYHAUL_PATH, "--watch"}, terminals.work.Path(), session, -1, true});
    ASSERT_TRUE(watch);
    ASSERT_EQ(watch->ReadLine(10s), "Watching the serial ports for terminals; Ctrl+C stops.");
    terminals.Start(43, testing::SimulatedTerminals::RandomData(3000, 39));
    ASSERT_TRUE(Collection(*watch, 15s));
    EXPECT_EQ(service->ReadLine(10s).value_or("(none)"), "COM43: saved FORM.DAT, 3,000 bytes");
    watch->Signal(SIGTERM);
    EXPECT_EQ(watch->Wait(10s), 0);
}

// The watch probes the silent ports one after another all the time; each
// press asks it for the ports and gets them.
TEST_F(WatchTest, PressesAreNeverRefusedByAWatchThatOnlyProbes) {
    for (int com = 41; com <= 48; ++com) terminals.Start(com, std::nullopt, {"--no-answer"});
    Settings(false);
    auto watch = Watch();
    ASSERT_TRUE(watch);
    std::this_thread::sleep_for(2s);  // every port probed once, the probes under way
    double slowest = 0;
    for (int press = 1; press <= 20; ++press) {
        const auto started = std::chrono::steady_clock::now();
        auto download = Child::Start({{BAYHAUL_PATH, "--download"}, terminals.work.Path(), {}, -1, true});
        ASSERT_TRUE(download);
        const auto first = download->ReadLine(30s);
        slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        std::string output = first.value_or("") + "\n";
        while (const auto line = download->ReadLine(30s)) output += *line + "\n";
        // Not 2, refused; the machine's own ports may be another program's meanwhile.
        const std::optional<int> exit = download->Wait(10s);
        ASSERT_TRUE(exit == 0 || exit == 1) << "press " << press << ":\n" << output;
        EXPECT_EQ(first, "Searching...") << output;
        EXPECT_EQ(output.find("Another press is running"), std::string::npos) << output;
    }
    std::printf("the slowest of 20 presses began searching %.2f s after it started\n", slowest);
}

TEST_F(WatchTest, APressIsRefusedWhileTheWatchCollects) {
    const std::string data = testing::SimulatedTerminals::RandomData(60000, 34);
    terminals.Start(43, data, {"--pace"});
    Settings(false);
    auto watch = Watch();
    ASSERT_TRUE(watch);
    std::this_thread::sleep_for(2500ms);  // the watch's press is running
    auto press = Child::Start({{BAYHAUL_PATH, "--download"}, terminals.work.Path(), {}, -1, true});
    ASSERT_TRUE(press);
    std::string output;
    while (const auto line = press->ReadLine(30s)) output += *line + "\n";
    EXPECT_EQ(press->Wait(10s), 2) << output;
    EXPECT_NE(output.find("Another press is running (bayhaul --watch, process "), std::string::npos) << output;
    EXPECT_TRUE(Collection(*watch, 15s)) << "the watch's collection went on";
}

}  // namespace
}  // namespace bayhaul
