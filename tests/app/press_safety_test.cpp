// A press that never loses a terminal's data and never hides a failure:
// bayhaul --download against simulated terminals, with another press beside
// it, a file that changes, a kill in the middle, and folders that refuse.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "press/history.h"
#include "files/sha256.h"
#include "simulated_terminals.h"

namespace bayhaul {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct ProgramRun {
    int exitCode = -1;
    std::string output;  // standard output
    std::string errors;  // standard error
};

class PressSafetyTest : public ::testing::Test {
protected:
    using LineHook = std::function<void(const std::string&, sim::ChildProcess&)>;

    // bayhaul with `arguments` in the work folder, to its end; `around` goes
    // before it (another user, a namespace). Standard error is kept apart.
    ProgramRun Bayhaul(const std::vector<std::string>& arguments, const LineHook& onLine = {},
                       const std::vector<std::string>& around = {}) {
        const std::string errors = terminals.work / ".errors";
        std::vector<std::string> argv = around;
        argv.insert(argv.end(),
                    {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"" + errors + "\"", terminals.Program(BAYHAUL_PATH)});
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        auto program = sim::ChildProcess::Start({argv, terminals.work.Path(), {}, -1, true});
        ProgramRun run;
        if (!program) return run;
        while (const auto line = program->ReadLine(60s)) {
            run.output += *line + "\n";
            if (onLine) onLine(*line, *program);
        }
        run.exitCode = program->Wait(10s).value_or(-1);
        run.errors = ReadWholeFile(errors);
        fs::remove(errors);
        return run;
    }

    // settings.ini with the clock option off and deleting as given.
    void Settings(bool deleteOn) {
        WriteWholeFile(terminals.Settings(),
                       std::string("0\r\n") + (deleteOn ? "1" : "0") + "\r\nDesktop\r\nFORM\r\nDAT\r\n");
    }

    std::vector<std::string> DesktopEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(terminals.home / "Desktop"))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    static bool Contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    testing::SimulatedTerminals terminals;
};

TEST_F(PressSafetyTest, TwoPressesAtOnceLoseNothingAndTheSecondSaysWhoRuns) {
    const std::string first = testing::SimulatedTerminals::RandomData(30000, 21);
    const std::string second = testing::SimulatedTerminals::RandomData(30000, 22);
    const std::string firstStorage = terminals.Start(43, first, {"--pace"});
    const std::string secondStorage = terminals.Start(44, second, {"--pace"});
    Settings(true);

    ProgramRun refused;
    const ProgramRun run = Bayhaul({"--download"}, [&](const std::string& line, sim::ChildProcess&) {
        if (line == "Searching...") refused = Bayhaul({"--download"});
    });
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors << refused.output;
    EXPECT_EQ(refused.exitCode, 2) << refused.output;
    EXPECT_TRUE(Contains(refused.output, "Another press is running (bayhaul --download, process ")) << refused.output;
    EXPECT_TRUE(Contains(refused.errors, "Another press is running")) << refused.errors;
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == first);
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM02.DAT")) == second);
    EXPECT_FALSE(fs::exists(firstStorage + "/FORM.DAT"));
    EXPECT_FALSE(fs::exists(secondStorage + "/FORM.DAT"));
}

// The copy is checked whole against the terminal's file: one that took a
// record during the copy is copied again from its start, and only that
// copy, identical to the terminal's file, is saved and lets it be deleted.
TEST_F(PressSafetyTest, AFileThatGrowsDuringTheCopyIsCopiedAgainWhole) {
    const std::string data = testing::SimulatedTerminals::RandomData(60000, 23);  // 5 s on the line
    const std::string storage = terminals.Start(43, data, {"--pace"});
    Settings(true);
    const std::string record = "a record taken meanwhile";
    const ProgramRun run = Bayhaul({"--download"}, [&](const std::string& line, sim::ChildProcess&) {
        if (line != "Downloading FORM.DAT from COM43") return;
        std::this_thread::sleep_for(700ms);  // the terminal is sending its file by now
        std::ofstream(storage + "/FORM.DAT", std::ios::binary | std::ios::app) << record;
    });
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data + record);
    EXPECT_FALSE(fs::exists(storage + "/FORM.DAT")) << "deleted once an identical copy is in place";
    const std::string line =
        "COM43: saved " + terminals.Desktop("FORM.DAT") + " (60,024 bytes); deleted on the terminal\n";
    EXPECT_TRUE(Contains(run.output, line)) << run.output;
}

TEST_F(PressSafetyTest, APressKilledMidTransferLeavesNothingAndTheNextOneCopiesTheFile) {
    const std::string data = testing::SimulatedTerminals::RandomData(100000, 24);
    const std::string storage = terminals.Start(43, data, {"--pace"});
    Settings(true);
    const ProgramRun killed = Bayhaul({"--download"}, [](const std::string& line, sim::ChildProcess& p) {
        if (line != "Downloading FORM.DAT from COM43") return;
        std::this_thread::sleep_for(1s);  // well into the file
        p.Signal(SIGKILL);
    });
    EXPECT_EQ(killed.exitCode, 128 + SIGKILL);
    EXPECT_TRUE(DesktopEntries().empty()) << "no partial file";
    EXPECT_TRUE(ReadWholeFile(storage + "/FORM.DAT") == data);

    const ProgramRun run = Bayhaul({"--download"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(DesktopEntries(), std::vector<std::string>{"FORM.DAT"});
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data);
    EXPECT_FALSE(fs::exists(storage + "/FORM.DAT")) << "deleted once the copy is in place";
}

TEST_F(PressSafetyTest, TheHistoryKeepsEveryPressAKilledOneCannotSpoilItAndReplacedFilesAreKept) {
    const std::string data = testing::SimulatedTerminals::RandomData(20000, 29);  // 1.7 s on the line
    terminals.Start(43, data, {"--pace"});
    Settings(false);
    EXPECT_EQ(Bayhaul({"--download"}).exitCode, 0);
    const ProgramRun killed = Bayhaul({"--download"}, [](const std::string& line, sim::ChildProcess& p) {
        if (line != "Downloading FORM.DAT from COM43") return;
        std::this_thread::sleep_for(500ms);
        p.Signal(SIGKILL);
    });
    EXPECT_EQ(killed.exitCode, 128 + SIGKILL);
    EXPECT_EQ(Bayhaul({"--download"}).exitCode, 0);

    std::vector<HistoryRecord> saved;
    for (const HistoryRecord& record : ReadHistory(terminals.StateFolder()))
        if (record.port == "COM43") saved.push_back(record);
    ASSERT_EQ(saved.size(), 2u) << "the two presses that ended";
    EXPECT_NE(saved[0].press, saved[1].press);
    for (const HistoryRecord& record : saved) {
        EXPECT_EQ(record.file, terminals.Desktop("FORM.DAT"));
        EXPECT_EQ(record.bytes, "20000");
        EXPECT_EQ(record.sha256, HexOf(FingerprintOfFile(terminals.Desktop("FORM.DAT"))->digest));
    }
    // The second press that ended replaced the first one's file, which is kept.
    std::vector<std::string> kept;
    for (const auto& day : fs::directory_iterator(terminals.StateFolder() + "/replaced"))
        for (const auto& file : fs::directory_iterator(day.path())) kept.push_back(file.path().string());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(ReadWholeFile(kept[0]) == data);

    const ProgramRun history = Bayhaul({"--history", "5"});
    EXPECT_EQ(history.exitCode, 0);
    EXPECT_TRUE(Contains(history.output, "Press at " + PressStart(saved[1].press) + "\n")) << history.output;
    EXPECT_TRUE(Contains(history.output, "COM43: saved " + terminals.Desktop("FORM.DAT") + " (20,000 bytes) SHA-256 " +
                                             saved[1].sha256 + "\n"))
        << history.output;
}

TEST_F(PressSafetyTest, FailuresSayWhyAndEndWithOne) {
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::string line;
    };
    const Case cases[] = {
        {"a garbled question",
         {"--ignore-queries"},
         "COM43: not saved: asking the terminal for FORM.DAT failed: the terminal did not answer; the terminal keeps "
         "its data"},
        {"a hang-up", {"--hangup-after", "2000"}, "COM43: not saved: the terminal hung up after "},
    };
    int com = 43;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string data = testing::SimulatedTerminals::RandomData(8000, 25);
        const std::string storage = terminals.Start(com, data, c.options);
        std::string line = c.line;
        line.replace(3, 2, std::to_string(com++));
        const ProgramRun run = Bayhaul({"--download"});
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_TRUE(Contains(run.output, line)) << run.output;
        EXPECT_TRUE(Contains(run.errors, line)) << run.errors;
        EXPECT_TRUE(Contains(run.output, "\nSaved 0, not saved ")) << run.output;
        EXPECT_TRUE(ReadWholeFile(storage + "/FORM.DAT") == data);
    }
}

TEST_F(PressSafetyTest, AFolderThatRefusesTheFileSaysWhy) {
    // The desktop becomes a small file system of its own, seen by the program alone.
    if (std::system("unshare -Urm true 2>/dev/null") != 0) GTEST_SKIP() << "no mount namespaces here";
    const auto mounted = [&](const std::string& options) {
        const std::string desktop = terminals.home / "Desktop";
        return std::vector<std::string>{"/usr/bin/unshare",
                                        "-Urm",
                                        "/bin/sh",
                                        "-c",
                                        "mount -t tmpfs -o " + options + " tmpfs \"" + desktop + "\" && exec \"$@\"",
                                        "sh"};
    };
    struct Case {
        const char* options;
        const char* why;
    };
    const Case cases[] = {{"ro", "the folder is read-only"}, {"size=16k", "the disk is full"}};
    const std::string data = testing::SimulatedTerminals::RandomData(100000, 26);
    const std::string storage = terminals.Start(43, data);
    Settings(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const ProgramRun run = Bayhaul({"--download"}, {}, mounted(c.options));
        EXPECT_EQ(run.exitCode, 1) << run.output << run.errors;
        EXPECT_TRUE(Contains(run.output, std::string("COM43: not saved: ") + c.why + "; the terminal keeps its data"))
            << run.output;
        EXPECT_TRUE(ReadWholeFile(storage + "/FORM.DAT") == data);
    }
}

TEST_F(PressSafetyTest, AnOrdinaryUsersTerminalAnswersPressAfterPress) {
    // The program finds its worker beside it, and the worker its library,
    // so those go with it.
    const fs::path folder = fs::path(BAYHAUL_PATH).parent_path();
    std::string why;
    const std::vector<std::string> user = terminals.AsOrdinaryUser(
        {BAYHAUL_PATH, (folder / "bayhaul-worker").string(), (folder / "TetherDll.so").string()}, why);
    if (!why.empty()) GTEST_SKIP() << why;
    const std::string data = testing::SimulatedTerminals::RandomData(3000, 27);
    terminals.Start(43, data);
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        const ProgramRun run = Bayhaul({"--download"}, {}, user);
        EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
        EXPECT_TRUE(Contains(run.output, "COM43: saved ")) << run.output;
        EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data);
    }
}

TEST_F(PressSafetyTest, AReaderThatStopsReadingDoesNotStopThePressAndExpectTellsAMissingTerminal) {
    const std::string data = testing::SimulatedTerminals::RandomData(20000, 28);
    terminals.Start(43, data, {"--pace"});
    const std::string status = terminals.work / "status";
    const std::string command =
        "\"" + std::string(BAYHAUL_PATH) + "\" --download | head -n 1; echo ${PIPESTATUS[0]} >\"" + status + "\"";
    auto piped = sim::ChildProcess::Start({{"/bin/bash", "-c", command}, terminals.work.Path(), {}, -1, false});
    ASSERT_TRUE(piped);
    EXPECT_EQ(piped->Wait(60s), 0);
    EXPECT_EQ(ReadWholeFile(status), "0\n") << "bayhaul itself ended well";
    EXPECT_TRUE(ReadWholeFile(terminals.Desktop("FORM.DAT")) == data);

    const ProgramRun run = Bayhaul({"--download", "--expect", "2"});
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_TRUE(Contains(run.errors, "1 of the 2 files expected were saved")) << run.errors;
    EXPECT_EQ(Bayhaul({"--download", "--expect", "two"}).exitCode, 2);
}

}  // namespace
}  // namespace bayhaul
