// The command line's lines: each port's in port order however the ports
// end, and a note every 10 s while a file waits for an earlier port's name.
#include "cli/console_window.h"

#include <gtest/gtest.h>

#include <sstream>

namespace bayhaul {
namespace {

using namespace std::chrono_literals;

PortReport Final(std::int16_t port, const std::string& what) {
    return {port, PortOutcome::NoTerminal, "COM" + std::to_string(port) + ": " + what};
}

PortReport Live(std::int16_t port, const std::string& what, std::int16_t waitingFor = 0) {
    PortReport line{port, PortOutcome::NoTerminal, "COM" + std::to_string(port) + ": " + what, "", false, false};
    line.waitingFor = waitingFor;
    return line;
}

class ConsoleWindowTest : public ::testing::Test {
protected:
    // Lets the fake clock run on, asking as the press does every 100 ms.
    void RunFor(std::chrono::milliseconds span) {
        for (const auto end = now + span; now < end; now += 100ms) window.StopRequested();
    }

    std::ostringstream out;
    std::chrono::steady_clock::time_point now{};
    ConsoleWindow window{out, [this] { return now; }, [] { return false; }};
};

TEST_F(ConsoleWindowTest, EachPortsLineWaitsForEveryEarlierPortsLine) {
    window.ShowReport({Live(3, "connecting"), Live(4, "connecting"), Final(5, "no terminal answered")});
    EXPECT_EQ(out.str(), "") << "COM5 ended first";
    window.ShowReport({Final(3, "saved /d/FORM.DAT (4 bytes)"), Live(4, "50%, 2 of 4 bytes"),
                       Final(5, "no terminal answered")});
    EXPECT_EQ(out.str(), "COM3: saved /d/FORM.DAT (4 bytes)\n");
    window.ShowReport({Final(3, "saved /d/FORM.DAT (4 bytes)"), Final(4, "saved /d/FORM02.DAT (4 bytes)"),
                       Final(5, "no terminal answered")});
    const std::string all =
        "COM3: saved /d/FORM.DAT (4 bytes)\nCOM4: saved /d/FORM02.DAT (4 bytes)\nCOM5: no terminal answered\n";
    EXPECT_EQ(out.str(), all);
    window.ShowReport({Final(3, "saved /d/FORM.DAT (4 bytes)"), Final(4, "saved /d/FORM02.DAT (4 bytes)"),
                       Final(5, "no terminal answered")});
    EXPECT_EQ(out.str(), all) << "each line once";
}

TEST_F(ConsoleWindowTest, AFileWaitingForAnEarlierPortsNameIsSaidEveryTenSeconds) {
    window.ShowReport({Live(3, "asking for FORM.DAT"), Live(4, "received, waiting for COM3's name", 3)});
    RunFor(9900ms);
    EXPECT_EQ(out.str(), "");
    RunFor(200ms);
    EXPECT_EQ(out.str(), "COM4: received, waiting for COM3's name\n");
    RunFor(10s);
    EXPECT_EQ(out.str(), "COM4: received, waiting for COM3's name\nCOM4: received, waiting for COM3's name\n");

    // Once nothing waits, nothing is said; a new wait counts afresh.
    out.str("");
    window.ShowReport({Final(3, "saved /d/FORM.DAT (4 bytes)"), Live(4, "deleting FORM.DAT on the terminal")});
    RunFor(30s);
    EXPECT_EQ(out.str(), "COM3: saved /d/FORM.DAT (4 bytes)\n");
}

}  // namespace
}  // namespace bayhaul
