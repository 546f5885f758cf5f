// The stand-in's faults fire on their port and call only, and a press of
// the real program through the stand-in copies every terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "one_call_tether_fixture.h"
#include "app/simulated_terminals.h"
#include "ports/posix_device_platform.h"
#include "press/download.h"
#include "press/program_workers.h"
#include "support/fixed_time.h"
#include "ports/port_table.h"

namespace bayhaul::one_call_tether {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A segmentation fault kills the process; in a sanitizer's build the
// sanitizer reports it and exits with 1 instead.
bool DiedOfASegmentationFault(int status) {
    return (WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) ||
           (SANITIZED && WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

void Say(const char* what, int port, std::int16_t result) {
    std::fprintf(stderr, "%s on COM%d returned %d\n", what, port, result);
}

TEST_F(OneCallTetherTest, ACrashOrAHangComesInItsOwnCallOnItsOwnPortOnly) {
    // Before the fault: the same call on another port, another call on its port.
    {
        const ScopedEnv fault("ONE_CALL_TETHER_FAULT", "crash:73:connect");
        EXPECT_EXIT(
            {
                LinkHandle h = Handle(74);
                Say("connect", 74, StandIn().Tether_Connect(h));
                StandIn().Tether_Destroy(h);
                h = Handle(73);
                Say("query", 73, Query(h));
                Say("connect", 73, StandIn().Tether_Connect(h));
            },
            DiedOfASegmentationFault,
            "connect on COM74 returned -3\nquery on COM73 returned -6\n"
            "OneCallTether: crash in connect on COM73, as ONE_CALL_TETHER_FAULT asks\n");
    }
    const ScopedEnv fault("ONE_CALL_TETHER_FAULT", "hang:75:transfer,crash:1:query");
    EXPECT_EXIT(
        {
            alarm(3);  // a call still inside by then is taken to hang
            std::string path = "/nonexistent/FORM.DAT";
            LinkHandle h = Handle(76);
            Say("transfer", 76, StandIn().Tether_UpLoad(h, 65, path.data(), "FORM.DAT", 0, 3));
            StandIn().Tether_Destroy(h);
            h = Handle(75);
            Say("query", 75, Query(h));
            Say("transfer", 75, StandIn().Tether_UpLoad(h, 65, path.data(), "FORM.DAT", 0, 3));
        },
        ::testing::KilledBySignal(SIGALRM),
        "transfer on COM76 returned 0\nquery on COM75 returned -6\n"
        "OneCallTether: hang in transfer on COM75, as ONE_CALL_TETHER_FAULT asks\n");
}

// The program, its worker, the stand-in as its library and ours beside
// them, copied into a folder of their own, as a user installs the maker's
// library.
class StandInPressTest : public OneCallTetherTest {
protected:
    void SetUp() override {
        OneCallTetherTest::SetUp();
        const fs::path folder = programFolder.Path();
        fs::copy_file(BAYHAUL_PATH, folder / "bayhaul");
        fs::copy_file(WORKER_PATH, folder / kWorkerProgramFile);
        fs::copy_file(kStandInFile, folder / kTetherLibraryFile);
        fs::copy_file(kStandInFile.parent_path() / OUR_LIBRARY_FILE, folder / OUR_LIBRARY_FILE);
    }

    std::unique_ptr<sim::ChildProcess> Download() {
        return sim::ChildProcess::Start(
            {{programFolder / "bayhaul", "--download"}, terminals.work.Path(), {}, -1, true});
    }

    // Whether any process still runs a program of the copied folder.
    bool AnyProgramOfTheFolderRuns() const {
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::error_code error;
            const fs::path exe = fs::read_symlink(entry.path() / "exe", error);
            if (!error && exe.parent_path() == fs::path(programFolder.Path())) return true;
        }
        return false;
    }

    testing::SimulatedTerminals terminals;
    const TempDir programFolder;
};

TEST_F(StandInPressTest, TerminalsAreCopiedSideBySideAndNamedInTheOrderOfThePorts) {
    const std::string first = testing::SimulatedTerminals::RandomData(20000, 11);  // 1.7 s on a paced line
    const std::string second = testing::SimulatedTerminals::RandomData(1500, 12);
    const std::string third = testing::SimulatedTerminals::RandomData(700, 13);
    terminals.Start(43, first, {"--pace"});
    terminals.Start(44, second);
    terminals.Start(45, third);
    const auto program = Download();
    ASSERT_TRUE(program);
    std::string output;
    while (const auto line = program->ReadLine(30s)) output += *line + "\n";
    EXPECT_EQ(program->Wait(5s), 0) << output;
    EXPECT_NE(output.find("Finished download 3 file(s) at "), std::string::npos) << output;
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == first) << "the first port's, though it came last";
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM02.DAT")) == second);
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM03.DAT")) == third);
    EXPECT_EQ(output.find("stopped working"), std::string::npos) << "no process of the stand-in got two calls at once";
}

TEST_F(StandInPressTest, ALibraryThatCrashesOnOnePortCostsThatPortAlone) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 14);
    terminals.Start(43, data);
    const std::string crashing = terminals.Start(44, data);
    const ScopedEnv fault("ONE_CALL_TETHER_FAULT", "crash:44:transfer");
    const auto program = Download();
    ASSERT_TRUE(program);
    std::string output;
    while (const auto line = program->ReadLine(30s)) output += *line + "\n";
    EXPECT_EQ(program->Wait(5s), 1) << output;
    EXPECT_NE(output.find("COM44: not saved: the terminal library stopped working (crashed); "
                          "the terminal keeps its data"),
              std::string::npos)
        << output;
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data);
    EXPECT_TRUE(ReadWholeFile(crashing + "/FORM.DAT") == data);
    EXPECT_EQ(std::distance(fs::directory_iterator(terminals.home / "Desktop"), {}), 1) << "no part file is left";
}

TEST_F(StandInPressTest, SigtermEndsAPressWhoseLibraryHangsAndNoProcessIsLeft) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 15);
    const std::string hanging = terminals.Start(44, data);
    const ScopedEnv fault("ONE_CALL_TETHER_FAULT", "hang:44:transfer");
    const auto program = Download();
    ASSERT_TRUE(program);
    std::string output;
    while (const auto line = program->ReadLine(30s)) {
        output += *line + "\n";
        if (line->rfind("Downloading FORM.DAT from COM44", 0) == 0) break;
    }
    std::this_thread::sleep_for(300ms);  // well inside the call that never returns
    const auto signalled = std::chrono::steady_clock::now();
    program->Signal(SIGTERM);
    const std::optional<int> exitCode = program->Wait(10s);
    const auto took = std::chrono::steady_clock::now() - signalled;
    EXPECT_EQ(exitCode, 1) << output;
    EXPECT_LT(took, 3s) << "the press ended its stuck worker";
    std::fprintf(stderr, "SIGTERM to exit: %.0f ms\n", std::chrono::duration<double, std::milli>(took).count());
    EXPECT_FALSE(AnyProgramOfTheFolderRuns());
    EXPECT_TRUE(ReadWholeFile(hanging + "/FORM.DAT") == data);
    EXPECT_TRUE(fs::is_empty(terminals.home / "Desktop")) << "no part file is left";
}

// The press in this process, its workers loading the stand-in, with short
// deadlines: a library that hangs inside a call on one port is given up
// there, and the other port's terminal is saved.
TEST_F(StandInPressTest, ALibraryThatHangsOnOnePortIsGivenUpAtItsDeadline) {
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 16);
    terminals.Start(43, data);
    const std::string hanging = terminals.Start(44, data);
    const ScopedEnv fault("ONE_CALL_TETHER_FAULT", "hang:44:connect");
    const SystemClock clock;
    const EnglishLocaleText locale;
    struct Inputs final : PressInputs {
        explicit Inputs(std::string folder) : desktop(std::move(folder)) {}
        AppSettings Settings() override { return {"0", "0", desktop, "FORM", "DAT"}; }
        bool ClockBox() override { return false; }
        bool DeleteBox() override { return false; }
        std::string desktop;
    } inputs(terminals.home / "Desktop");
    struct Quiet final : DownloadWindow {
        void ShowStatus(const std::string&) override {}
        void ShowReport(const std::vector<PortReport>& lines) override { report = ReportText(lines); }
        void ShowProgress(int) override {}
        void ShowProblem(const std::string&) override {}
        bool StopRequested() override { return false; }
        std::string report;
    } window;
    WorkerLimits quick;
    quick.call = 1s;
    const PressEnvironment environment{
        clock, locale, [](int) { return std::string(); }, {}, "", terminals.StateFolder(),
        [] { return std::make_shared<PosixDevicePlatform>(PortRoots{"/nonexistent/sys", "/nonexistent/dev",
                                                                    VirtualPortFolder()}); },
        ProcessWorkers(WORKER_PATH), kStandInFile.string(), false, quick};
    const auto started = std::chrono::steady_clock::now();
    const DownloadResult result = DownloadFromAllTerminals(environment, inputs, window).Run();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_EQ(result.saved, 1) << window.report;
    EXPECT_NE(window.report.find("COM44: not saved: the terminal library stopped responding; "
                                 "the terminal keeps its data"),
              std::string::npos)
        << window.report;
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data);
    EXPECT_TRUE(ReadWholeFile(hanging + "/FORM.DAT") == data);
}

}  // namespace
}  // namespace bayhaul::one_call_tether
