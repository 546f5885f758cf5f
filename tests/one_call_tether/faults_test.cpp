// Reading ONE_CALL_TETHER_FAULT: every part is checked, and a value that
// cannot be read says which part is wrong.
#include "faults.h"

#include <gtest/gtest.h>

namespace bayhaul::one_call_tether {
namespace {

TEST(OneCallTetherFaultsTest, ReadsAListAndRefusesAnyMalformedPart) {
    std::string problem;
    ASSERT_TRUE(ReadFaults("", problem));
    EXPECT_TRUE(ReadFaults("", problem)->empty());

    const auto faults = ReadFaults("crash:3:connect,hang:32767:transfer", problem);
    ASSERT_TRUE(faults) << problem;
    ASSERT_EQ(faults->size(), 2u);
    EXPECT_EQ((*faults)[0].kind, FaultKind::Crash);
    EXPECT_EQ((*faults)[0].port, 3);
    EXPECT_EQ((*faults)[0].call, "connect");
    EXPECT_EQ((*faults)[1].kind, FaultKind::Hang);
    EXPECT_EQ((*faults)[1].port, 32767);
    EXPECT_EQ((*faults)[1].call, "transfer");

    const std::pair<const char*, const char*> malformed[] = {
        {"burn:3:connect", "'burn:3:connect' does not start with crash: or hang:"},
        {"crash:0:connect", "'crash:0:connect' names no COM number from 1 to 32767"},
        {"crash:32768:connect", "'crash:32768:connect' names no COM number from 1 to 32767"},
        {"crash:3x:connect", "'crash:3x:connect' names no COM number from 1 to 32767"},
        {"crash:3", "'crash:3' names no call: setup, connect, query, transfer, status, delete, clock, disconnect or "
                    "destroy"},
        {"hang:3:Connect", "'hang:3:Connect' names no call"},
        {"hang:3:connect,", "'' does not start with crash: or hang:"},
        {"hang:3:connect crash:4:query", "'hang:3:connect crash:4:query' names no call"},
    };
    for (const auto& [text, expected] : malformed) {
        SCOPED_TRACE(text);
        problem.clear();
        EXPECT_FALSE(ReadFaults(text, problem));
        EXPECT_EQ(problem.rfind(expected, 0), 0u) << problem;
    }
}

}  // namespace
}  // namespace bayhaul::one_call_tether
