// The stand-in for the terminal maker's library, loaded as the program
// loads a library: what it exports, that it hands each call to ours, and
// that breaking its rules ends the process saying why.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "link/tether_library.h"
#include "one_call_tether_fixture.h"

namespace bayhaul::one_call_tether {
namespace {

TEST_F(OneCallTetherTest, ExportsOnlyTheTenFunctionsAndHandsEachCallToOurs) {
    const TetherFunctions& api = StandIn();
    EXPECT_EQ(api.Tether_Features, nullptr) << "the program takes it for a library not of ours";

    const LinkHandle h = api.Tether_Create();
    ASSERT_GT(h, 0);
    // Our library's own answers come back.
    EXPECT_EQ(api.Tether_SetupEx(h, 71, '7', '1', 'N'), -7);  // no such speed
    EXPECT_EQ(api.Tether_SetupEx(h, 71, '8', '1', 'N'), 1);
    EXPECT_EQ(Query(h), -6);  // not connected
    std::int32_t received = -1, total = -1;
    EXPECT_EQ(api.Tether_StLoad(h, 1, &received, &total), 4);  // no transfer
    EXPECT_EQ(api.Tether_ESC_E(h, 66, "FORM.DAT", 8), -7);     // not the letter A
    EXPECT_EQ(api.Tether_Disconnect(h), 1);
    EXPECT_EQ(api.Tether_Destroy(h), 1);
    EXPECT_EQ(api.Tether_Destroy(h), -1);

    // A session released is a session no longer alive: the next one may start.
    const LinkHandle next = api.Tether_Create();
    EXPECT_GT(next, 0);
    EXPECT_EQ(api.Tether_Destroy(next), 1);
}

TEST_F(OneCallTetherTest, BreakingItsRulesEndsTheProcessSayingWhy) {
    EXPECT_DEATH(
        {
            StandIn().Tether_Create();
            StandIn().Tether_Create();
        },
        "Tether_Create was called while handle .* is alive: this library holds one session per process");

    // A call inside on one thread (held there by a hang), another on this one.
    {
        const ScopedEnv fault("ONE_CALL_TETHER_FAULT", "hang:71:connect");
        EXPECT_DEATH(
            {
                const LinkHandle h = Handle(71);
                std::thread inside([h] { StandIn().Tether_Connect(h); });
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (std::chrono::steady_clock::now() < until) Query(h);
                inside.detach();  // a stand-in that let every call in has failed: the test ends all the same
            },
            "was called while Tether_.* is still running: this library allows one call at a time");
    }

    const ScopedEnv unreadable("ONE_CALL_TETHER_FAULT", "crash:3");
    EXPECT_DEATH(Handle(71), "cannot read ONE_CALL_TETHER_FAULT: 'crash:3' names no call");
}

}  // namespace
}  // namespace bayhaul::one_call_tether
