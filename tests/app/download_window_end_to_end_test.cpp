// The real window, offscreen, pressing its button against our terminal
// library and simulated terminals on virtual ports.
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

#include "qt/form1.h"
#include "press/worker_link.h"
#include "ports/posix_device_platform.h"
#include "settings/timestamp.h"
#include "simulated_terminals.h"
#include "support/scoped_env.h"

namespace bayhaul {
namespace {

std::string SettingsFile(const std::string& sync, const std::string& del) {
    return sync + "\r\n" + del + "\r\nDesktop\r\nFORM\r\nDAT\r\n";
}

class WindowDownloadTest : public ::testing::Test {
protected:
    struct Pressed {
        std::string status;
        std::string report;
    };

    // Opens the window on `settings`, presses the download button once and
    // closes the window again.
    Pressed Press(const std::string& settings = SettingsFile("1", "0")) {
        WriteWholeFile(terminals.Settings(), settings);
        Form1 window(clock, terminals.Settings(), workers, onlySimulatedPorts, {}, terminals.StateFolder());
        window.show();
        auto* button = window.findChild<QPushButton*>(QStringLiteral("Command4"));
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        for (int round = 0; round < 3000 && window.State().PressRunning(); ++round) QTest::qWait(10);
        EXPECT_FALSE(window.State().PressRunning()) << "the press ended within 30 s";
        // The status line's whole text: what it shows may be shortened to fit.
        const QLabel* status = window.findChild<QLabel*>(QStringLiteral("Label2"));
        return {status->accessibleDescription().toStdString(), window.State().Label2Report};
    }

    std::string Now() const { return FormatTimestamp(clock.Now()); }

    testing::SimulatedTerminals terminals;
    const SystemClock clock;
    // The worker program beside the library it loads.
    std::shared_ptr<WorkerStarter> workers = ProcessWorkers(WORKER_PATH);
    // The simulators' virtual ports, none of the machine's own.
    DevicePlatformFactory onlySimulatedPorts = [] {
        return std::make_shared<PosixDevicePlatform>(
            PortRoots{"/nonexistent/sys", "/nonexistent/dev", VirtualPortFolder()});
    };
};

TEST_F(WindowDownloadTest, OneTerminalWithTheDefaultsLandsOnTheDesktopAndGetsTheCurrentTime) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 1);
    const std::string storage = terminals.Start(41, data);

    const std::string before = Now();
    const Pressed pressed = Press();
    const std::string after = Now();
    EXPECT_EQ(pressed.status.rfind("Finished download 1 file(s) at ", 0), 0u) << pressed.status;
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM.DAT")), data);
    EXPECT_EQ(pressed.report.rfind("COM41: saved " + terminals.Desktop("FORM.DAT") + " (", 0), 0u) << pressed.report;
    const std::string clockSet = ReadWholeFile(storage + "/CLOCK");
    EXPECT_TRUE(before <= clockSet && clockSet <= after) << clockSet;
    EXPECT_TRUE(std::filesystem::exists(storage + "/FORM.DAT")) << "deleting is off by default";
}

TEST_F(WindowDownloadTest, TwoTerminalsGiveTwoFilesAndDeleteOnlyWhatArrived) {
    const std::string first = testing::SimulatedTerminals::RandomData(5000, 2);
    const std::string second = testing::SimulatedTerminals::RandomData(1025, 3);
    const std::string fast = terminals.Start(41, first);
    const std::string slow = terminals.Start(42, second, {"--setting", "9"});  // answers only at "9"

    const Pressed pressed = Press(SettingsFile("0", "1"));
    EXPECT_EQ(pressed.status.rfind("Finished download 2 file(s) at ", 0), 0u) << pressed.status;
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM.DAT")), first);
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM02.DAT")), second);
    EXPECT_FALSE(std::filesystem::exists(fast + "/FORM.DAT"));
    EXPECT_FALSE(std::filesystem::exists(slow + "/FORM.DAT"));
    EXPECT_FALSE(std::filesystem::exists(fast + "/CLOCK")) << "the clock option is off";
}

TEST_F(WindowDownloadTest, NoPortsOrNoFileGiveACountOfZero) {
    EXPECT_EQ(Press().status.rfind("Finished download 0 file(s) at ", 0), 0u);

    terminals.Start(41, std::nullopt);
    const Pressed pressed = Press();
    EXPECT_EQ(pressed.status.rfind("Finished download 0 file(s) at ", 0), 0u);
    EXPECT_EQ(pressed.report, "COM41: the terminal has no FORM.DAT");
    EXPECT_TRUE(std::filesystem::is_empty(terminals.home / "Desktop"));
}

TEST_F(WindowDownloadTest, StalledAndHungUpTerminalsKeepTheirDataAndTheOldFile) {
    const std::string data = testing::SimulatedTerminals::RandomData(20000, 4);
    const std::string stalled = terminals.Start(41, data, {"--stall-after", "4000"});
    const std::string hungUp = terminals.Start(42, data, {"--hangup-after", "4000"});
    WriteWholeFile(terminals.Desktop("FORM.DAT"), "the previous press");

    const Pressed pressed = Press(SettingsFile("1", "1"));
    EXPECT_EQ(pressed.status.rfind("Finished download 0 file(s) at ", 0), 0u) << pressed.status;
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM.DAT")), "the previous press");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(terminals.home / "Desktop"), {}), 1)
        << "no partial file is left";
    EXPECT_EQ(ReadWholeFile(stalled + "/FORM.DAT"), data);
    EXPECT_EQ(ReadWholeFile(hungUp + "/FORM.DAT"), data);
    EXPECT_NE(pressed.report.find("COM41: not saved: the terminal stopped sending after "), std::string::npos)
        << pressed.report;
    EXPECT_NE(pressed.report.find("COM42: not saved: the terminal hung up after "), std::string::npos)
        << pressed.report;
}

TEST_F(WindowDownloadTest, AMissingDesktopFolderWritesNothingAnywhere) {
    const std::string data = testing::SimulatedTerminals::RandomData(100, 5);
    const std::string storage = terminals.Start(41, data);
    std::filesystem::remove(terminals.home / "Desktop");
    const bool rootFileBefore = std::filesystem::exists("/FORM.DAT");

    EXPECT_EQ(Press(SettingsFile("1", "1")).status,
              "The desktop folder " + terminals.home / "Desktop" + " was not found. Choose a folder in Settings.");
    EXPECT_EQ(std::filesystem::exists("/FORM.DAT"), rootFileBefore);
    EXPECT_EQ(ReadWholeFile(storage + "/FORM.DAT"), data);
    EXPECT_FALSE(std::filesystem::exists(storage + "/CLOCK"));
}

TEST_F(WindowDownloadTest, PortsRunSideBySideAndNameTheirFilesInListOrder) {
    const std::string slow = testing::SimulatedTerminals::RandomData(20000, 6);  // 1.7 s on a paced line
    const std::string fast = testing::SimulatedTerminals::RandomData(500, 7);
    const std::string slowStorage = terminals.Start(41, slow, {"--pace"});
    const std::string fastStorage = terminals.Start(42, fast);
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        const Pressed pressed = Press(SettingsFile("0", "0"));
        EXPECT_EQ(pressed.status.rfind("Finished download 2 file(s) at ", 0), 0u) << pressed.status;
        EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == slow) << "the first port's, though it came last";
        EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM02.DAT")) == fast);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(terminals.home / "Desktop"), {}), 2);
}

TEST_F(WindowDownloadTest, ClosingTheWindowStopsEveryPortAndEachTerminalKeepsItsData) {
    const std::string data = testing::SimulatedTerminals::RandomData(60000, 8);  // 5 s on a paced line
    const std::string first = terminals.Start(41, data, {"--pace"});
    const std::string second = terminals.Start(42, data, {"--pace"});
    WriteWholeFile(terminals.Settings(), SettingsFile("1", "1"));
    QPointer<Form1> window = new Form1(clock, terminals.Settings(), workers, onlySimulatedPorts, {}, terminals.StateFolder());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    auto* button = window->findChild<QPushButton*>(QStringLiteral("Command4"));
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    QTest::qWait(1500);  // well into both transfers
    const auto closed = std::chrono::steady_clock::now();
    window->close();
    for (int round = 0; round < 500 && window; ++round) QTest::qWait(5);
    EXPECT_TRUE(window.isNull()) << "the window closed";
    EXPECT_LT(std::chrono::steady_clock::now() - closed, std::chrono::seconds(2)) << "the press stopped at once";
    EXPECT_TRUE(ReadWholeFile(first + "/FORM.DAT") == data);
    EXPECT_TRUE(ReadWholeFile(second + "/FORM.DAT") == data);
    EXPECT_TRUE(std::filesystem::is_empty(terminals.home / "Desktop")) << "no file, and no partial one";
}

// The workers load the stand-in for the maker's library, which can be told
// to hang.
class StandInWorkers final : public WorkerStarter {
public:
    std::unique_ptr<WorkerLink> Start(const std::vector<std::string>& arguments, std::string& why) override {
        std::vector<std::string> withLibrary = arguments;
        withLibrary.insert(withLibrary.end(), {"--library", ONE_CALL_TETHER_PATH});
        return workers_->Start(withLibrary, why);
    }

private:
    std::shared_ptr<WorkerStarter> workers_ = ProcessWorkers(WORKER_PATH);
};

TEST_F(WindowDownloadTest, ClosingTheWindowWhileTheLibraryHangsClosesItAtOnce) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 9);
    const std::string storage = terminals.Start(41, data);
    const ScopedEnv fault("ONE_CALL_TETHER_FAULT", "hang:41:transfer");
    WriteWholeFile(terminals.Settings(), SettingsFile("1", "1"));
    QPointer<Form1> window = new Form1(clock, terminals.Settings(), std::make_shared<StandInWorkers>(), onlySimulatedPorts, {},
                                       terminals.StateFolder());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    auto* button = window->findChild<QPushButton*>(QStringLiteral("Command4"));
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    auto* status = window->findChild<QLabel*>(QStringLiteral("Label2"));
    for (int round = 0; round < 1000 && !status->text().startsWith("Downloading"); ++round) QTest::qWait(10);
    ASSERT_TRUE(status->text().startsWith("Downloading"));
    QTest::qWait(300);  // inside the call that never returns
    const auto closed = std::chrono::steady_clock::now();
    window->close();
    for (int round = 0; round < 500 && window; ++round) QTest::qWait(5);
    EXPECT_TRUE(window.isNull()) << "the window closed";
    EXPECT_LT(std::chrono::steady_clock::now() - closed, std::chrono::seconds(2));
    EXPECT_TRUE(ReadWholeFile(storage + "/FORM.DAT") == data);
    EXPECT_TRUE(std::filesystem::is_empty(terminals.home / "Desktop")) << "no file, and no partial one";
}

}  // namespace
}  // namespace bayhaul
