// bayhaul --download as a user runs it: the real program in a folder of its
// own, against simulated terminals (and whatever serial ports this machine has).
#include <gtest/gtest.h>

#include <filesystem>

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
    ProgramRun Bayhaul(const std::string& option) {
        auto program =
            tether::testing::ChildProcess::Start({{BAYHAUL_PATH, option}, terminals.work.Path(), {}, -1, true});
        ProgramRun run;
        if (!program) return run;
        while (const auto line = program->ReadLine(30s)) run.output += *line + "\n";
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
    EXPECT_NE(run.output.find("\nDownloading FORM.DAT from COM43\nDownloading FORM.DAT from COM44\nFinished download 2 "
                              "file(s) at "),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("\nCOM44: saved " + terminals.Desktop("FORM02.DAT") + " (64 bytes)\n"), std::string::npos)
        << run.output;
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM.DAT")), first);
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM02.DAT")), second);
    EXPECT_EQ(ReadWholeFile(terminals.Settings()), "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n") << "made with the defaults";
}

TEST_F(CommandLineTest, ExitCodesTellAFileNotSavedFromAPressThatCouldNotRun) {
    const std::string data = testing::SimulatedTerminals::RandomData(8000, 8);
    terminals.Start(43, data, {"--hangup-after", "2000"});
    ProgramRun run = Bayhaul("--download");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("COM43: transfer failed"), std::string::npos) << run.output;

    std::filesystem::remove(terminals.home / "Desktop");
    run = Bayhaul("--download");
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_EQ(run.output, "Searching...\nThe desktop folder was not found. Choose a folder in Settings.\n");

    run = Bayhaul("--help");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("Exit codes:"), std::string::npos);
    EXPECT_EQ(Bayhaul("--downloads").exitCode, 2);
}

}  // namespace
}  // namespace bayhaul
