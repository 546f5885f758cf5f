// bayhaul --download as a user runs it: the real program in a folder of its
// own, against simulated terminals (and whatever serial ports this machine has).
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <functional>

#include "simulated_terminals.h"

namespace bayhaul {
namespace {

using namespace std::chrono_literals;

struct ProgramRun {
    int exitCode = -1;
    std::string output;
};

class CommandLineTest : public ::testing::Test {
protected:
    // Runs the program to its end; `onLine` sees each line as it comes.
    using LineHook = std::function<void(const std::string&, sim::ChildProcess&)>;
    ProgramRun Bayhaul(const std::string& option, const LineHook& onLine = {}) {
        auto program =
            sim::ChildProcess::Start({{BAYHAUL_PATH, option}, terminals.work.Path(), {}, -1, true});
        ProgramRun run;
        if (!program) return run;
        while (const auto line = program->ReadLine(30s)) {
            run.output += *line + "\n";
            if (onLine) onLine(*line, *program);
        }
        run.exitCode = program->Wait(5s).value_or(-1);
        return run;
    }

    testing::SimulatedTerminals terminals;
};

TEST_F(CommandLineTest, SavesEveryTerminalPrintsWhatItDidAndExitsWithZero) {
    const std::string first = testing::SimulatedTerminals::RandomData(2000, 6);
    const std::string second = testing::SimulatedTerminals::RandomData(64, 7);
    terminals.Start(43, first);
    terminals.Start(44, second);

    const ProgramRun run = Bayhaul("--download");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.rfind("Searching...\n", 0), 0u) << run.output;
    // The ports run side by side: each start and each end has its line as it comes.
    for (const char* line : {"\nDownloading FORM.DAT from COM43\n", "\nDownloading FORM.DAT from COM44\n"})
        EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
    EXPECT_LT(run.output.find("\nCOM44: saved "), run.output.find("\nFinished download 2 file(s) at ")) << run.output;
    // The clock setting (line 1 of the default settings) confirmed on each port's line.
    EXPECT_NE(run.output.find("\nCOM44: saved " + terminals.Desktop("FORM02.DAT") + " (64 bytes); the terminal's clock "
                              "set\n"),
              std::string::npos)
        << run.output;
    EXPECT_LT(run.output.find("\nCOM43: saved "), run.output.find("\nCOM44: saved ")) << "in port order";
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM.DAT")), first);
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM02.DAT")), second);
    EXPECT_EQ(ReadWholeFile(terminals.Settings()), "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n") << "made with the defaults";
}

TEST_F(CommandLineTest, ExitCodesTellAFileNotSavedFromAPressThatCouldNotRun) {
    const std::string data = testing::SimulatedTerminals::RandomData(8000, 8);
    terminals.Start(43, data, {"--hangup-after", "2000"});
    ProgramRun run = Bayhaul("--download");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("COM43: not saved: the terminal hung up after "), std::string::npos) << run.output;

    std::filesystem::remove(terminals.home / "Desktop");
    run = Bayhaul("--download");
    EXPECT_EQ(run.exitCode, 2) << run.output;
    // Without a window, what to do instead of choosing a folder in Settings.
    EXPECT_EQ(run.output, "Searching...\nThe desktop folder " + terminals.home / "Desktop" +
                              " was not found. Create it, or put the folder for received files on line 3 of " +
                              terminals.Settings() + ".\n");

    for (const char* help : {"--help", "-h", "/?"}) {
        run = Bayhaul(help);
        EXPECT_EQ(run.exitCode, 0) << help;
        EXPECT_EQ(run.output.rfind("usage: bayhaul [", 0), 0u) << help;
        EXPECT_NE(run.output.find("\nCtrl+C, SIGTERM and SIGHUP\nstop"), std::string::npos) << run.output;
    }
    EXPECT_EQ(Bayhaul("--downloads").exitCode, 2);
    // The wrong one is named, on standard error.
    auto named = sim::ChildProcess::Start(
        {{"/bin/sh", "-c", std::string(BAYHAUL_PATH) + " --downloads 2>&1"}, terminals.work.Path(), {}, -1, true});
    ASSERT_TRUE(named);
    EXPECT_EQ(named->ReadLine(30s).value_or(""), "bayhaul: unknown option: --downloads");
    EXPECT_EQ(named->ReadLine(30s).value_or("").rfind("usage: bayhaul [", 0), 0u);
    EXPECT_EQ(named->Wait(30s), 2);
    // A mistyped option gets the usage even where there is no display.
    auto mistyped = sim::ChildProcess::Start(
        {{BAYHAUL_PATH, "-download"}, terminals.work.Path(), {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ""}}, -1, true});
    ASSERT_TRUE(mistyped);
    EXPECT_EQ(mistyped->Wait(30s), 2);
}

TEST_F(CommandLineTest, TheVersionNamesTheLibraryTheWorkersLoadAndWhereTheFilesAre) {
    const ProgramRun run = Bayhaul("--version");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string library = (std::filesystem::path(BAYHAUL_PATH).parent_path() / "TetherDll.so").string();
    EXPECT_EQ(run.output.rfind("Bayhaul 1.", 0), 0u) << run.output;
    for (const std::string& line : {"\nTerminal library: " + library + " (Bayhaul's own)\n",
                                    "\nSettings: " + terminals.Settings() + "\n", std::string("\nState folder: "),
                                    std::string("/history.csv\n")})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << " in " << run.output;
}

TEST_F(CommandLineTest, AnInterruptDuringATransferStopsSafely) {
    const std::string data = testing::SimulatedTerminals::RandomData(8000, 9);
    const std::string storage = terminals.Start(43, data, {"--stall-after", "2000"});
    const ProgramRun run = Bayhaul("--download", [](const std::string& line, sim::ChildProcess& program) {
        if (line == "Downloading FORM.DAT from COM43") program.Signal(SIGINT);
    });
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("COM43: not saved: the program was closed before the file arrived; the terminal keeps "
                              "its data"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("\nInterrupted.\n"), std::string::npos) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(terminals.home / "Desktop"));
    EXPECT_EQ(ReadWholeFile(storage + "/FORM.DAT"), data);
}

}  // namespace
}  // namespace bayhaul
