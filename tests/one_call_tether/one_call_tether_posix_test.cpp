// The stand-in's faults fire on their port and call only, and a press of
// the real program through the stand-in copies every terminal.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>

#include "one_call_tether_fixture.h"
#include "app/simulated_terminals.h"

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

// The program, the stand-in as its library and ours beside them, copied
// into a folder of their own, as a user installs the maker's library.
TEST_F(OneCallTetherTest, APressThroughTheStandInCopiesEveryTerminal) {
    testing::SimulatedTerminals terminals;
    const TempDir programFolder;
    const fs::path folder = programFolder.Path();
    fs::copy_file(BAYHAUL_PATH, folder / "bayhaul");
    fs::copy_file(kStandInFile, folder / kTetherLibraryFile);
    fs::copy_file(kStandInFile.parent_path() / OUR_LIBRARY_FILE, folder / OUR_LIBRARY_FILE);

    const std::string first = testing::SimulatedTerminals::RandomData(5000, 11);
    const std::string second = testing::SimulatedTerminals::RandomData(1500, 12);
    terminals.Start(43, first);
    terminals.Start(44, second);
    auto program = sim::ChildProcess::Start(
        {{(folder / "bayhaul").string(), "--download"}, terminals.work.Path(), {}, -1, true});
    ASSERT_TRUE(program);
    std::string output;
    while (const auto line = program->ReadLine(30s)) output += *line + "\n";
    EXPECT_EQ(program->Wait(5s), 0) << output;
    EXPECT_NE(output.find("Finished download 2 file(s) at "), std::string::npos) << output;
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM.DAT")), first);
    EXPECT_EQ(ReadWholeFile(terminals.Desktop("FORM02.DAT")), second);
}

}  // namespace
}  // namespace bayhaul::one_call_tether
