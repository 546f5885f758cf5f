// What a watch probes and collects, as ports come and go.
#include "press/port_watch.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

using Probe = PortWatch::Probe;
using std::chrono::seconds;

TEST(PortWatchTest, NewPortsAreProbedAtOnceAndACollectedTerminalOnlyAgainAfterItLeft) {
    PortWatch watch;
    const auto start = PortWatch::Clock::time_point() + seconds(100);
    watch.Present({3, 4});
    EXPECT_EQ(watch.NextProbe(start), 3);
    EXPECT_TRUE(watch.Probed(3, Probe::Terminal, start)) << "a terminal that arrived is collected";
    watch.Collected(3, true);
    EXPECT_FALSE(watch.Probed(4, Probe::NoTerminal, start));
    EXPECT_EQ(watch.NextProbe(start + seconds(1)), std::nullopt) << "both probed a moment ago";
    EXPECT_EQ(watch.NextDue(), start + PortWatch::kProbeEvery);

    const auto later = start + PortWatch::kProbeEvery;
    EXPECT_FALSE(watch.Probed(3, Probe::Terminal, later)) << "still in its cradle: not again";
    EXPECT_FALSE(watch.Probed(3, Probe::NoTerminal, later + PortWatch::kProbeEvery)) << "switched off: it left";
    EXPECT_TRUE(watch.Probed(3, Probe::Terminal, later + 2 * PortWatch::kProbeEvery)) << "and came back";

    // A collection that failed is tried again at the next probe.
    watch.Collected(3, false);
    EXPECT_TRUE(watch.Probed(3, Probe::Terminal, later + 3 * PortWatch::kProbeEvery));
    watch.Collected(3, true);

    // A port that goes and comes back is a new one: probed at once, collected again.
    watch.Present({4});
    watch.Present({4, 3});
    EXPECT_EQ(watch.NextProbe(later + seconds(31)), 3);
    EXPECT_TRUE(watch.Probed(3, Probe::Terminal, later + seconds(31)));

    // A port another program holds is left alone until its next turn.
    EXPECT_FALSE(watch.Probed(4, Probe::Busy, later + seconds(31)));
    EXPECT_EQ(watch.NextProbe(later + seconds(32)), std::nullopt);
}

}  // namespace
}  // namespace bayhaul
