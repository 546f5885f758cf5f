// One press of the download button, driven through a recording window, the
// recording library and a fake port list.
#include "press/download.h"
#include "app/main_window_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "press/history.h"
#include "files/sha256.h"
#include "link/failure_advice.h"
#include "link/recording_tether.h"
#include "link/tether_codes.h"
#include "settings/output_naming.h"
#include "ports/fake_device_platform.h"
#include "support/fixed_time.h"
#include "support/in_process_workers.h"
#include "support/temp_dir.h"

namespace bayhaul {
namespace {

using Calls = std::vector<std::string>;

// What a saved line adds when the terminal maker's library, which tells no
// result, was asked to set the clock (the box is ticked by default).
constexpr char kClockAsked[] = "; the terminal was asked to set its clock (its library does not confirm it)";

class RecordingWindow final : public DownloadWindow {
public:
    std::vector<std::string> statuses;
    std::string report;
    std::vector<std::string> reports;  // every report shown, in order
    std::string problem;
    std::vector<int> progress;
    // The user, on the press's thread, each time the press asks whether to
    // stop while a transfer runs (its worker polls every 50 ms meanwhile),
    // or between one port's end and the next one's transfer.
    std::function<void()> betweenPorts;
    std::function<void()> duringTransfer;

    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowReport(const std::vector<PortReport>& lines) override {
        report = ReportText(lines);
        reports.push_back(report);
    }
    void ShowProgress(int percent) override { progress.push_back(percent); }
    void ShowProblem(const std::string& text) override { problem = text; }
    bool StopRequested() override {
        const bool transferring = !statuses.empty() && statuses.back().rfind("Downloading", 0) == 0;
        const auto& hook = transferring ? duringTransfer : betweenPorts;
        if (hook) hook();
        return false;
    }
};

// Public, so that the cases of a table can arrange the fixture.
class DownloadTest : public ::testing::Test {
public:
    // The ports' workers run on threads of this process with the recording
    // library; one after another unless `sideBySide`, as the recording
    // library's script of results is one list for every port.
    explicit DownloadTest(bool sideBySide = false) : sideBySide_(sideBySide) {}

    // The boxes are read at each test, so a test may change them during a yield.
    void SetUp() override {
        state.Load();
        state.Check1 = true;
        state.Check2 = false;
    }

    DownloadResult Press() {
        const std::optional<DownloadResult> result = state.Command4Click(window);
        EXPECT_TRUE(result.has_value());
        return result.value_or(DownloadResult{});
    }

    // A terminal that connects at "8" on handle `h`, has its file and sends `content`.
    void Terminal(LinkHandle h, const std::string& content) {
        tether.handles.push_back(h);
        tether.connects.push_back(1);
        tether.queries.push_back(8);
        tether.uploads.push_back(1);
        tether.files.push_back(content);
    }

    std::string Desktop(const std::string& name) const { return desktop.Path() + kPathSeparator + name; }

    std::string Finished(int count) const {
        return "Finished download " + std::to_string(count) + " file(s) at 12/8/2023 10:56:03 AM";
    }

    std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        std::copy_if(tether.calls.begin(), tether.calls.end(), std::back_inserter(found),
                     [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
        return found;
    }

    TempDir desktop;
    TempDir documents;
    TempDir work;
    TempDir stateFolder;
    FixedClock clock;
    EnglishLocaleText locale;
    RecordingTether tether;
    std::shared_ptr<testing::FakePlatform> ports = testing::PortsWithNames({});
    std::string desktopFolder = desktop.Path();  // what the desktop lookup gives; "" when not found
    std::string documentsFolder = documents.Path();
    std::chrono::steady_clock::time_point steadyTime;  // moved on by the tests that need it
    const bool sideBySide_;
    std::shared_ptr<testing::InProcessWorkers> workers = std::make_shared<testing::InProcessWorkers>(tether);

    MainWindowState::Environment Environment(TetherSource& library) {
        MainWindowState::Environment environment{
            clock, locale, [this](int id) { return id == 16 ? desktopFolder : documentsFolder; }, work / "settings.ini",
            &library == &tether ? workers : std::make_shared<testing::InProcessWorkers>(library),
            [this] { return ports; }, [this] { return steadyTime; }};
        environment.oneAtATime = !sideBySide_;
        environment.stateFolder = stateFolder.Path();  // where the part files are recorded
        return environment;
    }

    MainWindowState state{Environment(tether)};
    RecordingWindow window;
};

TEST_F(DownloadTest, NoPortsGivesTwoEmptyPassesAndACountOfZero) {
    const DownloadResult result = Press();
    EXPECT_EQ(window.statuses, (Calls{"Searching...", Finished(0)}));
    EXPECT_EQ(state.Label2, Finished(0));
    EXPECT_EQ(state.ProblemLine, kNoTerminalHint) << "what to try when no terminal answered";
    EXPECT_TRUE(tether.calls.empty());
    EXPECT_EQ(result.saved, 0);
    EXPECT_FALSE(result.couldNotRun);
    EXPECT_EQ(ports->openedFlags, (std::vector<std::uint32_t>{kDigcfPresent}));
}

TEST_F(DownloadTest, OneTerminalIsSavedOverTheOldFileAndItsClockSet) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    Terminal(7, "new data");
    tether.announced = 8;
    tether.polls = {1};
    WriteWholeFile(Desktop("FORM.DAT"), "old");

    const DownloadResult result = Press();
    const std::string part = Desktop("FORM.DAT.COM3.bayhaul-part");
    EXPECT_EQ(tether.calls, (Calls{"Create", "SetupEx 7 3 8 1 N", "Connect 7", "ESC_J 7 65 FORM.DAT 8",
                                   "UpLoad 7 65 " + part + " FORM.DAT 0 3", "StLoad 7 0", "StLoad 7 0", "StLoad 7 1",
                                   "ESC_M 7 65 20231208105603", "Disconnect 7", "Destroy 7"}));
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "new data");
    EXPECT_FALSE(std::filesystem::exists(part));
    EXPECT_EQ(window.statuses, (Calls{"Searching...", "Downloading FORM.DAT from COM3", Finished(1)}));
    EXPECT_EQ(window.report, "COM3: saved " + Desktop("FORM.DAT") + " (8 bytes)" + kClockAsked);
    EXPECT_EQ(state.Label2Report, window.report);
    EXPECT_EQ(result.saved, 1);
    EXPECT_EQ(window.progress.back(), 0);
}

TEST_F(DownloadTest, EveryRunningPortHasALiveLineInPortOrder) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)"});
    Terminal(7, "first");
    Terminal(8, "second");
    tether.polls = std::deque<std::int16_t>(12, 1);  // each transfer runs a while
    state.Check1 = false;
    EXPECT_EQ(Press().saved, 2);
    const auto shown = [&](const std::string& report) {
        return std::find(window.reports.begin(), window.reports.end(), report) != window.reports.end();
    };
    const std::string first = "COM3: saved " + Desktop("FORM.DAT") + " (5 bytes)";
    EXPECT_TRUE(shown("COM3: downloading")) << ::testing::PrintToString(window.reports);
    EXPECT_TRUE(shown(first + "\nCOM4: downloading")) << ::testing::PrintToString(window.reports);
    EXPECT_EQ(window.reports.back(), first + "\nCOM4: saved " + Desktop("FORM02.DAT") + " (6 bytes)");
}

TEST_F(DownloadTest, TerminalsGetSuffixesInListOrderAndOnlyComPortsAreTried) {
    ports = testing::PortsWithNames({"Communications Port (COM1)", "Printer Port (LPT1)", "USB Serial Port",
                                     "Prolific USB-to-Serial Comm Port (COM5)", "USB Serial Port (COM123)"});
    Terminal(7, "first");
    Terminal(8, "second");
    state.Check1 = false;

    EXPECT_EQ(Press().saved, 2);
    EXPECT_EQ(CallsStartingWith("SetupEx"), (Calls{"SetupEx 7 1 8 1 N", "SetupEx 8 123 8 1 N"}));
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "first");
    EXPECT_EQ(ReadWholeFile(Desktop("FORM02.DAT")), "second");
    EXPECT_EQ(window.report, "COM1: saved " + Desktop("FORM.DAT") + " (5 bytes)\nCOM123: saved " +
                                 Desktop("FORM02.DAT") + " (6 bytes)");
    EXPECT_EQ(window.statuses.back(), Finished(2));
    EXPECT_NE(std::find(window.progress.begin(), window.progress.end(), 50), window.progress.end())
        << "one of two ports done";
    EXPECT_EQ(window.progress.back(), 0);
}

TEST_F(DownloadTest, APassThatReceivesNothingIsRunOnceMoreOverTheSameList) {
    ports = testing::PortsWithNames({"Communications Port (COM1)"});
    tether.handles = {7, 8};
    tether.connects = {0, 0};  // the first pass: neither setting answers
    Terminal(9, "late");

    EXPECT_EQ(Press().saved, 1);
    EXPECT_EQ(CallsStartingWith("Connect"), (Calls{"Connect 7", "Connect 8", "Connect 9"}));
    EXPECT_EQ(ports->openSets, 0);
    EXPECT_EQ(ports->openedFlags.size(), 1u) << "the list is not refreshed";
    EXPECT_EQ(window.report, "COM1: saved " + Desktop("FORM.DAT") + " (4 bytes)" + kClockAsked);
}

TEST_F(DownloadTest, APortTheUserMayNotOpenSaysHowToGetPermission) {
    tether.features = tether::feature::kOurCodes;
    ports = testing::PortsWithNames({"Communications Port (COM1)"});
    tether.handles = {7, 8};  // both passes
    tether.connects = {tether_contract::kPortNoPermission, tether_contract::kPortNoPermission};

    EXPECT_EQ(Press().saved, 0);
    EXPECT_EQ(window.report, "COM1: you may not open this port. Join the dialout group (sudo usermod -aG dialout "
                             "$USER), log in again, then press again.");
}

TEST_F(DownloadTest, AFileReceivedMeansNoSecondPass) {
    ports = testing::PortsWithNames({"Communications Port (COM1)", "Communications Port (COM2)"});
    Terminal(7, "data");
    tether.handles.insert(tether.handles.end(), {8, 9});  // COM2 answers at neither setting

    EXPECT_EQ(Press().saved, 1);
    EXPECT_EQ(CallsStartingWith("Create").size(), 3u);
    EXPECT_EQ(window.report, "COM1: saved " + Desktop("FORM.DAT") + " (4 bytes)" + kClockAsked + "\nCOM2: no terminal answered");
}

TEST_F(DownloadTest, BoxesAreReadEachTimeTheyAreTested) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    Terminal(7, "data");
    tether.polls = {1};
    window.duringTransfer = [&] {
        state.Check1 = false;
        state.Check2 = true;
    };

    EXPECT_EQ(Press().saved, 1);
    EXPECT_EQ(CallsStartingWith("ESC_E"), Calls{"ESC_E 7 65 FORM.DAT 8"});
    EXPECT_TRUE(CallsStartingWith("ESC_M").empty());
    EXPECT_EQ(window.report, "COM3: saved " + Desktop("FORM.DAT") +
                                 " (4 bytes); the terminal was asked to delete its file (its library does not confirm it)");
}

TEST_F(DownloadTest, ASettingsApplyDuringATransferNamesTheNextFile) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)"});
    Terminal(7, "first");
    Terminal(8, "second");
    tether.polls = {1};
    SettingsDialogState& dialog = state.SettingsDialog;
    dialog.Load();
    bool applied = false;
    window.duringTransfer = [&] {
        if (applied) return;
        applied = true;
        dialog.Option4Click();
        dialog.Text2Change("BATCH");
        dialog.Option11Click();
        EXPECT_TRUE(dialog.Save());
    };

    EXPECT_EQ(Press().saved, 2);
    EXPECT_TRUE(applied);
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "first") << "named before the Apply";
    EXPECT_EQ(ReadWholeFile(documents / "BATCH02.TXT"), "second");
    EXPECT_EQ(ReadWholeFile(work / "settings.ini"), "1\r\n0\r\nMy Docunments\r\nBATCH\r\nTXT\r\n");
}

TEST_F(DownloadTest, ANameChangedDuringAPressNeverOverwritesAFileOfThatPress) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)"});
    Terminal(7, "first");
    Terminal(8, "second");
    tether.polls = {1};
    state.Settings.filename = "FORM02";
    state.Check2 = true;  // the first terminal's file is deleted once it is saved
    window.duringTransfer = [&] { state.Settings.filename = "FORM"; };  // as an Apply would

    EXPECT_EQ(Press().saved, 2);
    EXPECT_EQ(ReadWholeFile(Desktop("FORM02.DAT")), "first");
    EXPECT_EQ(ReadWholeFile(Desktop("FORM03.DAT")), "second");
    EXPECT_EQ(window.report.substr(window.report.find(" (5 bytes)")),
              " (5 bytes); the terminal was asked to delete its file and to set its clock (its library confirms neither)"
              "\nCOM4: saved " + Desktop("FORM03.DAT") + " (6 bytes); the terminal was asked to delete its file and "
              "to set its clock (its library confirms neither)");
}

TEST_F(DownloadTest, ClicksDuringAPressAreIgnoredAndACloseStopsItKeepingAllData) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)"});
    Terminal(7, "partial");
    tether.polls = {1, 1, 1};
    state.Check2 = true;
    WriteWholeFile(Desktop("FORM.DAT"), "old");
    window.duringTransfer = [&] {
        EXPECT_FALSE(state.Command4Click(window).has_value()) << "a second press while one runs";
        EXPECT_FALSE(state.RequestClose()) << "the window waits for the press to stop";
    };

    const DownloadResult result = Press();
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(tether.calls, (Calls{"Create", "SetupEx 7 3 8 1 N", "Connect 7", "ESC_J 7 65 FORM.DAT 8",
                                   "UpLoad 7 65 " + Desktop("FORM.DAT.COM3.bayhaul-part") + " FORM.DAT 0 3", "StLoad 7 0",
                                   "StLoad 7 1", "Disconnect 7", "Destroy 7"}));
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "old");
    EXPECT_FALSE(std::filesystem::exists(Desktop("FORM.DAT.COM3.bayhaul-part")));
    EXPECT_TRUE(state.RequestClose()) << "once the press has stopped";
}

TEST_F(DownloadTest, ACloseBetweenPortsStopsThePressBeforeTheNextPort) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)"});
    Terminal(7, "data");
    window.betweenPorts = [&] {
        if (window.report.rfind("COM3: saved", 0) == 0) state.RequestClose();  // once COM3 is done
    };
    window.duringTransfer = window.betweenPorts;  // the status line still names COM3
    const DownloadResult result = Press();
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.saved, 1);
    EXPECT_EQ(CallsStartingWith("SetupEx"), Calls{"SetupEx 7 3 8 1 N"});
}

TEST_F(DownloadTest, ATransferThatDidNotDeliverTheWholeFileIsNotCounted) {
    struct Case {
        const char* what;
        std::function<void(DownloadTest&)> arrange;
        const char* reason;
    };
    const Case cases[] = {
        {"no data for a long time",
         [](DownloadTest& t) {
             t.tether.polls = std::deque<std::int16_t>(10, 1);  // half a second of polls
             t.tether.announced = 100;
             t.window.duringTransfer = [&t, jumped = false]() mutable {
                 // Once the press knows the size, nothing more comes for 31 s.
                 if (t.window.report.find("of 100 bytes") != std::string::npos && !std::exchange(jumped, true))
                     t.steadyTime += std::chrono::seconds(31);
             };
         },
         "transfer given up: no data for 30 s"},
        {"failure status with a partial file", [](DownloadTest& t) { t.tether.polls = {7}; },
         "transfer failed (library status 7)"},
        {"no file on disk", [](DownloadTest& t) { t.tether.files = {}; }, "transfer failed (library status 2)"},
        {"shorter than announced", [](DownloadTest& t) { t.tether.announced = 10; },
         "only 4 of 10 bytes arrived"},
        {"not started", [](DownloadTest& t) { t.tether.uploads = {0}; }, "the transfer did not start"},
        {"target cannot be replaced",
         [](DownloadTest& t) {
             std::filesystem::remove(t.Desktop("FORM.DAT"));
             std::filesystem::create_directory(t.Desktop("FORM.DAT"));
         },
         "could not save: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DownloadTest& t = *this;
        t.tether.calls.clear();
        t.tether.duringDisconnect = nullptr;
        t.window = RecordingWindow{};
        t.state.Check2 = true;
        t.ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
        t.Terminal(7, "data");
        t.tether.announced.reset();
        std::filesystem::remove_all(Desktop("FORM.DAT"));
        WriteWholeFile(Desktop("FORM.DAT"), "old");
        c.arrange(t);

        const DownloadResult result = Press();
        EXPECT_EQ(result.saved, 0);
        EXPECT_EQ(result.NotSaved(), 1);
        EXPECT_TRUE(CallsStartingWith("ESC_E").empty());
        EXPECT_TRUE(CallsStartingWith("ESC_M").empty());
        EXPECT_FALSE(std::filesystem::exists(Desktop("FORM.DAT.COM3.bayhaul-part")));
        if (std::filesystem::is_regular_file(Desktop("FORM.DAT"))) {
            EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "old");
        }
        EXPECT_EQ(window.report.rfind(std::string("COM3: not saved: ") + c.reason, 0), 0u) << window.report;
        EXPECT_NE(window.report.find("; the terminal keeps its data"), std::string::npos);
        EXPECT_EQ(window.statuses.back(), Finished(0));
    }
}

TEST_F(DownloadTest, AFileAtThePartNameThatBayhaulDidNotMakeIsLeftAlone) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    Terminal(7, "data");
    tether.handles.push_back(8);  // the second pass connects nowhere
    const std::string part = Desktop("FORM.DAT.COM3.bayhaul-part");
    WriteWholeFile(part, "the user's own");

    const DownloadResult result = Press();
    EXPECT_EQ(result.saved, 0);
    EXPECT_EQ(ReadWholeFile(part), "the user's own");
    EXPECT_TRUE(CallsStartingWith("UpLoad").empty()) << "nothing arrives over it";
    EXPECT_EQ(window.report, "COM3: not saved: the name " + part +
                                 " is taken by a file Bayhaul did not make; the terminal keeps its data. " +
                                 AdviceFor(FailureCause::Folder));
}

TEST_F(DownloadTest, ANegativeTransferResultCountsWithoutPolling) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    Terminal(7, "data");
    tether.uploads = {-1};

    EXPECT_EQ(Press().saved, 1);
    EXPECT_EQ(CallsStartingWith("StLoad"), Calls{"StLoad 7 1"});
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "data");
}

TEST_F(DownloadTest, TerminalWithoutTheFileIsAskedAgainAtNineAndGetsTheCurrentTime) {
    ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    tether.handles = {7, 8};
    tether.connects = {1, 1};
    clock.moment = {2023, 12, 8, 14, 30, 0};  // long after the stamp taken at start-up

    const DownloadResult result = Press();
    EXPECT_EQ(result.saved, 0);
    EXPECT_EQ(result.NotSaved(), 0);
    const Calls firstPass(tether.calls.begin(), tether.calls.begin() + 13);
    EXPECT_EQ(firstPass, (Calls{"Create", "SetupEx 7 3 8 1 N", "Connect 7", "ESC_J 7 65 FORM.DAT 8", "Disconnect 7",
                                "Destroy 7", "Create", "SetupEx 8 3 9 1 N", "Connect 8", "ESC_M 8 65 20231208143000",
                                "ESC_J 8 65 FORM.DAT 8", "Disconnect 8", "Destroy 8"}));
    EXPECT_EQ(window.report, "COM3: the terminal has no FORM.DAT (library result 0)");
}

TEST_F(DownloadTest, WithoutASaveFolderNoTerminalIsAskedAndNothingIsWritten) {
    struct Case {
        std::string diradd;
        bool desktopFound;
        bool documentsFound;
        std::string status;
    };
    const Case cases[] = {
        {"Desktop", false, true, "The desktop folder was not found. Choose a folder in Settings."},
        {"My Docunments", true, false, "The documents folder was not found. Choose a folder in Settings."},
        {"", true, true, "No folder is set for received files. Choose a folder in Settings."},
        {"/nonexistent/data", true, true, "The folder /nonexistent/data was not found. Choose a folder in Settings."},
    };
    ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.diradd);
        window.statuses.clear();
        state.Settings.diradd = c.diradd;
        desktopFolder = c.desktopFound ? desktop.Path() : "";
        documentsFolder = c.documentsFound ? documents.Path() : "";
        const DownloadResult result = Press();
        EXPECT_TRUE(result.couldNotRun);
        EXPECT_EQ(window.statuses, (Calls{"Searching...", c.status}));
        EXPECT_TRUE(tether.calls.empty());
        EXPECT_TRUE(ports->openedFlags.empty());
    }
}

TEST_F(DownloadTest, AMissingLibraryEndsThePressWithItsMessage) {
    MissingTether missing;
    ports = testing::PortsWithNames({"Communications Port (COM1)", "Communications Port (COM2)"});
    MainWindowState alone{Environment(missing)};
    alone.Load();

    const DownloadResult result = *alone.Command4Click(window);
    EXPECT_TRUE(result.couldNotRun);
    EXPECT_EQ(window.statuses, (Calls{"Searching...", "Cannot load /opt/bayhaul/TetherDll.so: file not found"}));
    EXPECT_EQ(missing.attempts, 1);
}

TEST_F(DownloadTest, AFailedListingEndsWithZeroAndSaysWhy) {
    ports->classes.clear();
    const DownloadResult result = Press();
    EXPECT_TRUE(result.couldNotRun);
    EXPECT_EQ(window.statuses, (Calls{"Searching...", Finished(0)}));
    EXPECT_EQ(window.report, "Listing the serial ports failed: Incorrect class name");
}

TEST_F(DownloadTest, EachPortTriedIsRecordedAndTheFileAPressReplacesIsKept) {
    MainWindowState withHistory(Environment(tether));
    withHistory.Load();
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)", "USB Serial Port (COM5)"});
    tether.handles = {7, 8, 9, 10};
    tether.connects = {1, 1, 0, 0};  // COM5 answers at neither setting
    tether.queries = {8, 8};
    tether.uploads = {1, 1};
    tether.files = {"new data", "part"};
    tether.polls = {2, 7};  // COM4's transfer fails
    WriteWholeFile(Desktop("FORM.DAT"), "the last press's");

    const DownloadResult result = *withHistory.Command4Click(window);
    ASSERT_EQ(result.saved, 1);
    const std::vector<HistoryRecord> records = ReadHistory(stateFolder.Path());
    ASSERT_EQ(records.size(), 3u);
    for (const HistoryRecord& record : records) {
        EXPECT_EQ(record.press, records[0].press) << "one press, one id";
        EXPECT_EQ(PressStart(record.press), "2023-12-08 10:56:03");
    }
    EXPECT_EQ(records[0].port, "COM3");
    EXPECT_EQ(records[0].outcome, "saved " + Desktop("FORM.DAT") + " (8 bytes)" + kClockAsked);
    EXPECT_EQ(records[0].file, Desktop("FORM.DAT"));
    EXPECT_EQ(records[0].bytes, "8");
    EXPECT_EQ(records[0].sha256, HexOf(FingerprintOfFile(Desktop("FORM.DAT"))->digest));
    EXPECT_EQ(records[0].deleted, "") << "the box did not ask";
    EXPECT_EQ(records[0].clock, "asked (the library tells no result)");
    EXPECT_EQ(records[1].port, "COM4");
    EXPECT_EQ(records[1].outcome, "not saved: transfer failed (library status 7); the terminal keeps its data. " +
                                      AdviceFor(FailureCause::Terminal))
        << "the history has the advice too";
    EXPECT_EQ(records[1].file + records[1].bytes + records[1].sha256, "");
    EXPECT_EQ(records[2].port, "COM5");
    EXPECT_EQ(records[2].outcome, "no terminal answered");
    EXPECT_EQ(ReadWholeFile(stateFolder / "replaced/2023-12-08/FORM.DAT"), "the last press's");
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "new data") << "the saved name and place as ever";
}

// A watch's press: no file saved since the watch started is replaced, by
// whatever press saved it; only the failures it is told to record, and no
// port where there was nothing to do, go to the history.
TEST_F(DownloadTest, AWatchsPressKeepsFilesSavedSinceItStartedAndRecordsOnlyWhatItIsTold) {
    TempDir stateFolder;
    MainWindowState::Environment environment = Environment(tether);
    environment.stateFolder = stateFolder.Path();
    MainWindowState watch(environment);
    watch.Load();
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "USB Serial Port (COM4)", "USB Serial Port (COM5)"});
    tether.handles = {7, 8, 9, 10};
    tether.connects = {1, 1, 0, 0};  // COM5 answers at neither setting
    tether.queries = {8, 8};
    tether.uploads = {1, 1};
    tether.files = {"new data", "part"};
    tether.polls = {2, 7};  // COM4's transfer fails
    const auto started = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(10);
    WriteWholeFile(Desktop("FORM.DAT"), "another press's, after the watch started");
    WriteWholeFile(Desktop("FORM02.DAT"), "from yesterday");
    std::filesystem::last_write_time(Desktop("FORM02.DAT"), started - std::chrono::hours(24));

    PressScope scope;
    scope.keepFilesSavedSince = started;
    scope.recordNothingFound = false;
    scope.recordFailures = false;
    const DownloadResult result = *watch.Press(window, scope);
    ASSERT_EQ(result.saved, 1);
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "another press's, after the watch started");
    EXPECT_EQ(ReadWholeFile(Desktop("FORM02.DAT")), "new data") << "an older file is replaced as ever";
    EXPECT_EQ(ReadWholeFile(stateFolder / "replaced/2023-12-08/FORM02.DAT"), "from yesterday");
    const std::vector<HistoryRecord> records = ReadHistory(stateFolder.Path());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, "saved " + Desktop("FORM02.DAT") + " (8 bytes)" + kClockAsked);
}

// With our library, whose results say what went wrong.
class OurLibraryDownloadTest : public DownloadTest {
public:
    void SetUp() override {
        DownloadTest::SetUp();
        tether.features = tether::feature::kOurCodes;
        ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    }
};

TEST_F(OurLibraryDownloadTest, APortInUseByAnotherProgramIsNotSavedAndSaysSo) {
    AppendHistory(stateFolder.Path(), {"2023-12-07 09:00:00", "2023-12-07 09:00:00 #1.1", "COM3",
                                       "saved /d/FORM.DAT (4 bytes)", "/d/FORM.DAT", "4", "ab"});
    tether.handles = {7, 8};  // both passes
    tether.connects = {tether::result::kPortBusy, tether::result::kPortBusy};
    const DownloadResult result = Press();
    EXPECT_EQ(result.NotSaved(), 1);
    EXPECT_EQ(window.report, "COM3: in use by another program. " + AdviceFor(FailureCause::PortInUse));
    EXPECT_EQ(window.problem, "1 terminal not saved: COM3 (in use by another program)");
    EXPECT_EQ(state.ProblemLine, window.problem);
    EXPECT_EQ(window.statuses.back(), Finished(0)) << "the status line keeps its words";
}

TEST_F(OurLibraryDownloadTest, ABusyPortNoTerminalWasEverSavedFromIsANoteUntilOneIs) {
    tether.handles = {7, 8};  // both passes
    tether.connects = {tether::result::kPortBusy, tether::result::kPortBusy};
    DownloadResult result = Press();
    EXPECT_EQ(result.NotSaved(), 0) << "a receipt printer's port is no failure";
    EXPECT_EQ(window.report, "COM3: in use by another program (no terminal was ever saved from this port: taken for "
                             "another device)");
    EXPECT_EQ(window.problem, kNoTerminalHint) << "no terminal was there: not a port in red";
    EXPECT_EQ(ReadHistory(stateFolder.Path()).back().outcome,
              "in use by another program (no terminal was ever saved from this port: taken for another device)");

    // Once a terminal has been saved there, the port in use is a failure again.
    AppendHistory(stateFolder.Path(), {"2023-12-07 09:00:00", "2023-12-07 09:00:00 #1.1", "COM3",
                                       "saved /d/FORM.DAT (4 bytes)", "/d/FORM.DAT", "4", "ab"});
    tether.handles = {9, 10};
    tether.connects = {tether::result::kPortBusy, tether::result::kPortBusy};
    result = Press();
    EXPECT_EQ(result.NotSaved(), 1);
    EXPECT_EQ(window.problem, "1 terminal not saved: COM3 (in use by another program)");
}

TEST_F(OurLibraryDownloadTest, TwoNamesOfOneDeviceAreTriedOnceAndTheSecondSaysWhichItIs) {
    MainWindowState::Environment environment = Environment(tether);
    environment.portDevice = [](std::int16_t com) { return com == 3 || com == 20 ? "device 4:64" : ""; };
    MainWindowState linked(environment);
    linked.Load();
    ports = testing::PortsWithNames(
        {"USB Serial Port (COM3)", "Communications Port (COM5)", "Communications Port (COM20)"});
    Terminal(7, "data");
    tether.handles.push_back(8);  // COM5: nothing answers, at either setting
    tether.handles.push_back(9);
    const DownloadResult result = *linked.Command4Click(window);
    EXPECT_EQ(result.saved, 1);
    EXPECT_EQ(result.NotSaved(), 0) << "the second name is not in use by another program";
    EXPECT_EQ(CallsStartingWith("SetupEx"), (Calls{"SetupEx 7 3 8 1 N", "SetupEx 8 5 8 1 N", "SetupEx 9 5 9 1 N"}));
    EXPECT_EQ(window.report, "COM3: saved " + Desktop("FORM.DAT") + " (4 bytes); the terminal's clock set\n"
                             "COM5: no terminal answered\nCOM20: the same port as COM3");
}

TEST_F(OurLibraryDownloadTest, BytesThatNoTerminalCouldBeUnderstoodInAreAFailureNotAnEmptyPort) {
    tether.handles = {7, 8, 9, 10};  // both passes, each at "8" and "9"
    tether.connects = {tether::result::kLineNoisy, 0, tether::result::kLineNoisy, 0};
    const DownloadResult result = Press();
    EXPECT_EQ(result.NotSaved(), 1) << "a terminal may hold a file there";
    EXPECT_EQ(window.report, "COM3: a terminal may be there, but the line is too noisy to understand it. " +
                                 AdviceFor(FailureCause::NoisyLine));
    EXPECT_EQ(window.problem,
              "1 terminal not saved: COM3 (a terminal may be there, but the line is too noisy to understand it)");
}

TEST_F(OurLibraryDownloadTest, AQuestionThatDidNotGetThroughIsAFailureNotAMissingFile) {
    struct Case {
        std::deque<std::int16_t> connects, queries;
        PortOutcome outcome;
        std::string report;
    };
    const Case cases[] = {
        // The line garbled the question; the terminal does not speak at "9".
        {{1, 0, 1, 0},
         {tether::result::kNoAnswer, tether::result::kNotConnected},
         PortOutcome::NotSaved,
         "COM3: not saved: asking the terminal for FORM.DAT failed: the terminal did not answer; "
         "the terminal keeps its data. " +
             AdviceFor(FailureCause::Terminal)},
        // A terminal that says it has no such file has none, whatever the other question got.
        {{1, 0, 1, 0}, {0, tether::result::kNotConnected}, PortOutcome::NoFile, "COM3: the terminal has no FORM.DAT"},
        {{1, 1, 1, 1}, {tether::result::kNoAnswer, 0}, PortOutcome::NoFile, "COM3: the terminal has no FORM.DAT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        tether.calls.clear();
        tether.handles = {7, 8, 9, 10};
        tether.connects = c.connects;
        tether.queries = c.queries;
        tether.queries.insert(tether.queries.end(), c.queries.begin(), c.queries.end());  // the second pass
        const DownloadResult result = Press();
        ASSERT_EQ(result.ports.size(), 1u);
        EXPECT_EQ(result.ports[0].outcome, c.outcome);
        EXPECT_EQ(window.report, c.report);
        EXPECT_TRUE(CallsStartingWith("UpLoad").empty());
    }
}

TEST_F(OurLibraryDownloadTest, EveryFailureOfATransferSaysWhyInWords) {
    struct Case {
        std::int16_t upload, status;
        std::string why;
        FailureCause cause;
    };
    const Case cases[] = {
        {1, tether::transfer::kLineLost, "the terminal hung up after 4 of 10 bytes", FailureCause::Terminal},
        {1, tether::transfer::kProtocolFailure, "too many errors on the line after 4 of 10 bytes",
         FailureCause::NoisyLine},
        {1, tether::transfer::kDiskFull, "the disk is full", FailureCause::DiskFull},
        {0, tether::transfer::kReadOnlyFolder, "the folder is read-only", FailureCause::Folder},
        {0, tether::transfer::kPathTooLong, "the path is too long", FailureCause::PathTooLong},
        {1, 99, "library status 99 after 4 of 10 bytes", FailureCause::Library},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        Terminal(7, "data");
        tether.uploads = {c.upload};
        tether.polls = {c.status};
        tether.announced = 10;
        const DownloadResult result = Press();
        EXPECT_EQ(result.NotSaved(), 1);
        EXPECT_EQ(window.report, "COM3: not saved: " + c.why + "; the terminal keeps its data. " + AdviceFor(c.cause));
        EXPECT_EQ(window.problem, "1 terminal not saved: COM3 (" + c.why + ")") << "the reason alone";
    }
}

TEST_F(OurLibraryDownloadTest, TheDeleteAndTheClockAreConfirmedAndWhatFailedAfterTheCopyIsReported) {
    struct Case {
        std::int16_t deleted, clockSet;
        std::string more;
        bool warning;
    };
    const Case cases[] = {
        {tether::result::kOk, tether::result::kOk, "; deleted on the terminal; the terminal's clock set", false},
        {tether::result::kFileChanged, tether::result::kOk,
         "; the terminal's file changed during the copy and was kept; the terminal's clock set", true},
        {tether::result::kNoAnswer, tether::result::kRefused,
         "; deleting it on the terminal failed: the terminal did not answer; setting the terminal's clock failed: "
         "the terminal refused the request. " +
             AdviceFor(FailureCause::Terminal),
         true},
        {tether::result::kOk, tether::result::kBadHandle,
         "; deleted on the terminal; setting the terminal's clock failed: the terminal library lost track of the "
         "link. " +
             AdviceFor(FailureCause::Library),
         true},
    };
    state.Check2 = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.more);
        Terminal(7, "data");
        tether.deletes = {c.deleted};
        tether.clocks = {c.clockSet};
        const DownloadResult result = Press();
        EXPECT_EQ(result.saved, 1);
        EXPECT_EQ(window.report, "COM3: saved " + Desktop("FORM.DAT") + " (4 bytes)" + c.more);
        EXPECT_EQ(result.ports[0].warning, c.warning);
        EXPECT_EQ(window.problem, "") << "the file is saved";
    }
}

TEST_F(DownloadTest, APressOfAnotherBayhaulOfTheUserStopsThisOneFromStarting) {
    MainWindowState::Environment environment = Environment(tether);
    environment.pressLock = [](std::string& why) {
        why = "Another press is running (bayhaul --download, process 4242).";
        return std::unique_ptr<PressLock>();
    };
    MainWindowState other{environment};
    other.Load();
    ports = testing::PortsWithNames({"USB Serial Port (COM3)"});
    const DownloadResult result = *other.Command4Click(window);
    EXPECT_TRUE(result.couldNotRun);
    EXPECT_EQ(window.statuses, Calls{"Another press is running (bayhaul --download, process 4242)."});
    EXPECT_EQ(window.problem, window.statuses.back());
    EXPECT_TRUE(tether.calls.empty());
    EXPECT_TRUE(ports->openedFlags.empty());
}

// Ports side by side, over a library that allows it.
class SideBySideTest : public DownloadTest {
public:
    SideBySideTest() : DownloadTest(true) {}
    void SetUp() override {
        DownloadTest::SetUp();
        tether.features = tether::feature::kOurCodes | tether::feature::kConcurrentSessions;
        state.Check1 = false;
    }

    // COM3 to COM6 in list order, each with its own terminal.
    void Terminals(std::map<int, RecordingTether::Terminal> byPort) {
        std::vector<std::string> names;
        for (const auto& [port, terminal] : byPort) names.push_back("USB Serial Port (COM" + std::to_string(port) + ")");
        ports = testing::PortsWithNames(names);
        tether.terminals = std::move(byPort);
    }

    static RecordingTether::Terminal Slow(const std::string& file) { return {file, std::chrono::milliseconds(500)}; }
    static RecordingTether::Terminal Fast(const std::string& file) { return {file, std::chrono::milliseconds(0)}; }
};

TEST_F(SideBySideTest, FilesAreNamedInTheOrderOfThePortsWhateverOrderTheyArriveIn) {
    Terminals({{3, Slow("slow first")}, {4, Fast("fast second")}, {5, {std::nullopt, {}}}, {6, Fast("fast last")}});
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        const DownloadResult result = Press();
        EXPECT_EQ(result.saved, 3);
        EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "slow first");
        EXPECT_EQ(ReadWholeFile(Desktop("FORM02.DAT")), "fast second");
        EXPECT_EQ(ReadWholeFile(Desktop("FORM03.DAT")), "fast last");
        EXPECT_EQ(window.report, "COM3: saved " + Desktop("FORM.DAT") + " (10 bytes)\nCOM4: saved " +
                                     Desktop("FORM02.DAT") + " (11 bytes)\nCOM5: the terminal has no FORM.DAT\nCOM6: saved " +
                                     Desktop("FORM03.DAT") + " (9 bytes)");
        EXPECT_GE(tether.mostAtOnce, 2) << "the ports ran side by side";
        EXPECT_EQ(window.statuses.back(), Finished(3));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(desktop.Path()), {}), 3) << "no part file is left";
}

TEST_F(SideBySideTest, EachTerminalIsDeletedOnlyOnceItsOwnCopyIsInPlace) {
    Terminals({{3, Slow("slow first")}, {4, Fast("fast second")}});
    state.Check2 = true;
    std::map<int, std::string> inPlaceAtDelete;
    std::mutex inPlaceLock;  // the ports delete on threads of their own
    tether.duringDelete = [&](int port) {
        const std::string copy = ReadWholeFile(Desktop(port == 3 ? "FORM.DAT" : "FORM02.DAT"));
        const std::lock_guard guard(inPlaceLock);
        inPlaceAtDelete[port] = copy;
    };
    EXPECT_EQ(Press().saved, 2);
    EXPECT_EQ(inPlaceAtDelete, (std::map<int, std::string>{{3, "slow first"}, {4, "fast second"}}));
}

TEST_F(SideBySideTest, ATerminalThatFailsDisturbsNoOther) {
    RecordingTether::Terminal hangsUp = Slow("cut off");
    hangsUp.status = tether::transfer::kLineLost;
    Terminals({{3, Fast("first")}, {4, hangsUp}, {5, Fast("third")}});
    state.Check2 = true;
    const DownloadResult result = Press();
    EXPECT_EQ(result.saved, 2);
    EXPECT_EQ(result.NotSaved(), 1);
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "first");
    EXPECT_EQ(ReadWholeFile(Desktop("FORM02.DAT")), "third");
    EXPECT_EQ(CallsStartingWith("ESC_E").size(), 2u) << "the failed terminal keeps its file";
    EXPECT_EQ(window.problem, "1 terminal not saved: COM4 (the terminal hung up after 0 of 7 bytes)");
}

TEST_F(SideBySideTest, ACloseStopsEveryPortAndDeletesNothingThatDidNotArrive) {
    Terminals({{3, {"long", std::chrono::seconds(30)}}, {4, {"longer", std::chrono::seconds(30)}}});
    state.Check2 = true;
    window.duringTransfer = [&] { state.RequestClose(); };  // with the ports' workers running
    const auto started = std::chrono::steady_clock::now();
    const DownloadResult result = Press();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.saved, 0);
    EXPECT_TRUE(CallsStartingWith("ESC_E").empty());
    EXPECT_TRUE(std::filesystem::is_empty(desktop.Path())) << "no part file is left";
    EXPECT_EQ(CallsStartingWith("Destroy").size(), CallsStartingWith("Create").size()) << "every link is closed";
}

TEST_F(SideBySideTest, AFileThatArrivedWholeBeforeACloseIsSavedAndNothingIsDeletedAfterIt) {
    Terminals({{3, {"long", std::chrono::seconds(30)}}, {4, Fast("whole")}});
    state.Check2 = true;
    window.duringTransfer = [&] {
        if (window.report.find("COM4: received, waiting for COM3's name") != std::string::npos) state.RequestClose();
    };
    const DownloadResult result = Press();
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.saved, 1);
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "whole");
    EXPECT_TRUE(CallsStartingWith("ESC_E").empty()) << "nothing is deleted after a stop";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(desktop.Path()), {}), 1) << "no part file is left";
}

TEST_F(SideBySideTest, APortListedTwiceStopsOnACloseDuringItsFirstSession) {
    Terminals({{3, {"long", std::chrono::seconds(30)}}});
    ports = testing::PortsWithNames({"USB Serial Port (COM3)", "Another device (COM3)"});
    window.duringTransfer = [&] { state.RequestClose(); };
    const auto started = std::chrono::steady_clock::now();
    const DownloadResult result = Press();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(CallsStartingWith("Create").size(), 1u) << "the second session never started";
}

TEST_F(SideBySideTest, AWindowThatThrowsEndsThePressAndEveryWorker) {
    Terminals({{3, {"long", std::chrono::seconds(30)}}, {4, {"longer", std::chrono::seconds(30)}}});
    window.duringTransfer = [] { throw std::runtime_error("the window failed"); };
    EXPECT_THROW(state.Command4Click(window), std::runtime_error);
    workers.reset();  // each worker's thread is joined: none was left running
    EXPECT_EQ(CallsStartingWith("Destroy").size(), CallsStartingWith("Create").size()) << "every link is closed";
}

TEST_F(SideBySideTest, OnePortAtATimeNeverRunsTwoWorkersAtOnce) {
    MainWindowState::Environment environment = Environment(tether);
    environment.oneAtATime = true;
    MainWindowState oneAtATime{environment};
    oneAtATime.Load();
    Terminals({{3, Slow("slow first")}, {4, Fast("fast second")}, {5, Fast("fast last")}});
    EXPECT_EQ(oneAtATime.Command4Click(window)->saved, 3);
    EXPECT_EQ(tether.mostAtOnce, 1);
    EXPECT_EQ(ReadWholeFile(Desktop("FORM.DAT")), "slow first");
    EXPECT_EQ(ReadWholeFile(Desktop("FORM03.DAT")), "fast last");
}

}  // namespace
}  // namespace bayhaul
