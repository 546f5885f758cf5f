// A press whose workers misbehave as a closed library may make them: one
// that crashes, one that never answers, one that says nonsense. Each costs
// its own port only, says why, and leaves no file; a stop ends a worker
// stuck in the library at once. The other port's terminal is saved by a
// worker that works.
#include "press/download.h"
#include "press/worker_probe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "files/durable_file.h"
#include "link/failure_advice.h"
#include "link/recording_tether.h"
#include "link/tether_codes.h"
#include "ports/fake_device_platform.h"
#include "support/fixed_time.h"
#include "support/in_process_workers.h"
#include "support/temp_dir.h"

namespace bayhaul {
namespace {

// COM3's worker works in this process; COM4's is a script standing in for
// a worker whose library misbehaves.
class MixedWorkers final : public WorkerStarter {
public:
    MixedWorkers(TetherSource& library, std::string script)
        : good_(library), bad_(ProcessWorkers(std::move(script))) {}
    std::unique_ptr<WorkerLink> Start(const std::vector<std::string>& arguments, std::string& why) override {
        return arguments.at(1) == "3" ? good_.Start(arguments, why) : bad_->Start(arguments, why);
    }

private:
    testing::InProcessWorkers good_;
    std::unique_ptr<WorkerStarter> bad_;
};

class Inputs final : public PressInputs {
public:
    AppSettings Settings() override { return settings; }
    bool ClockBox() override { return false; }
    bool DeleteBox() override { return true; }
    AppSettings settings{"0", "1", "", "FORM", "DAT"};
};

class Window final : public DownloadWindow {
public:
    void ShowStatus(const std::string&) override {}
    void ShowReport(const std::vector<PortReport>& lines) override { report = ReportText(lines); }
    void ShowProgress(int) override {}
    void ShowProblem(const std::string&) override {}
    bool StopRequested() override { return stopAt && std::chrono::steady_clock::now() >= *stopAt; }
    std::string report;
    std::optional<std::chrono::steady_clock::time_point> stopAt;
};

class MisbehavingWorkerTest : public ::testing::Test {
protected:
    // A worker program that does `body` (shell).
    std::string Script(const std::string& body) {
        const std::string path = scripts / "worker.sh";
        WriteWholeFile(path, "#!/bin/sh\n" + body + "\n");
        chmod(path.c_str(), 0755);
        return path;
    }

    DownloadResult Press(const std::string& script, WorkerLimits limits = {}) {
        tether.features = bayhaul::tether::feature::kOurCodes | bayhaul::tether::feature::kConcurrentSessions;
        tether.terminals = {{3, {"saved", std::chrono::milliseconds(0)}}};
        inputs.settings.diradd = desktop.Path();
        const PressEnvironment environment{clock,
                                           locale,
                                           [](int) { return std::string(); },
                                           {},
                                           "",
                                           state.Path(),
                                           [] {
                                               return testing::PortsWithNames(
                                                   {"USB Serial Port (COM3)", "USB Serial Port (COM4)"});
                                           },
                                           std::make_shared<MixedWorkers>(tether, Script(script)),
                                           "",
                                           false,
                                           limits};
        return DownloadFromAllTerminals(environment, inputs, window).Run();
    }

    TempDir desktop, scripts, state;
    FixedClock clock;
    EnglishLocaleText locale;
    RecordingTether tether;
    Inputs inputs;
    Window window;
};

TEST_F(MisbehavingWorkerTest, AWorkerThatCrashesCostsItsPortAlone) {
    const DownloadResult result = Press("kill -SEGV $$");
    EXPECT_EQ(result.saved, 1);
    EXPECT_EQ(ReadWholeFile(desktop / "FORM.DAT"), "saved");
    EXPECT_EQ(window.report, "COM3: saved " + desktop / "FORM.DAT" + " (5 bytes); deleted on the terminal\n"
                             "COM4: not saved: the terminal library stopped working (crashed); the terminal keeps its data. " +
                                 AdviceFor(FailureCause::Library));
    EXPECT_EQ(result.NotSaved(), 1);
}

TEST_F(MisbehavingWorkerTest, AWorkerThatNeverAnswersIsEndedAtItsDeadline) {
    WorkerLimits quick;
    quick.call = std::chrono::milliseconds(300);
    const auto started = std::chrono::steady_clock::now();
    const DownloadResult result = Press("exec sleep 60", quick);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(result.saved, 1);
    EXPECT_NE(window.report.find("COM4: not saved: the terminal library stopped responding; the terminal keeps its data"),
              std::string::npos)
        << window.report;
}

TEST_F(MisbehavingWorkerTest, AWorkerThatSaysNonsenseIsAFailedPortNeverACrash) {
    const DownloadResult result = Press("printf 'this is no message at all'; exec sleep 60");
    EXPECT_EQ(result.saved, 1);
    EXPECT_NE(window.report.find("COM4: not saved: the terminal library's worker sent a message of version"),
              std::string::npos)
        << window.report;
}

TEST_F(MisbehavingWorkerTest, AStopEndsAWorkerStuckInTheLibraryWithinASecond) {
    window.stopAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    const auto started = std::chrono::steady_clock::now();
    const DownloadResult result = Press("exec sleep 60");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300 + 1000));
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(desktop.Path()), {}), result.saved)
        << "no part file is left";
}

// A watch's probe in a worker stuck in the library: ended at its deadline,
// or at once when the watch gives it up for a press, which is no finding.
TEST_F(MisbehavingWorkerTest, AProbeStuckInTheLibraryEndsAtItsDeadlineOrWhenGivenUp) {
    const auto workers = ProcessWorkers(Script("exec sleep 60"));
    std::string why;
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ProbeInWorker(*workers, "", 4, std::chrono::milliseconds(300), [] { return false; }, why),
              PortProbe::NoTerminal);
    EXPECT_EQ(why, "the terminal library stopped responding");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    started = std::chrono::steady_clock::now();
    const auto giveUpAt = started + std::chrono::milliseconds(200);
    EXPECT_EQ(ProbeInWorker(*workers, "", 4, std::chrono::seconds(60),
                            [&] { return std::chrono::steady_clock::now() >= giveUpAt; }, why),
              std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << "a press waits no longer";
}

}  // namespace
}  // namespace bayhaul
