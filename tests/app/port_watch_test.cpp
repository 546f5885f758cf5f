// What a watch probes and collects, as ports come and go, and what about a
// terminal is news.
#include "press/port_watch.h"

#include <gtest/gtest.h>

namespace bayhaul {
namespace {

using Probe = PortWatch::Probe;
using Step = PortWatch::Step;
using Outcome = PortWatch::Outcome;
using std::chrono::seconds;

TEST(PortWatchTest, NewPortsAreProbedAtOnceAndACollectedTerminalOnlyAgainAfterItLeft) {
    PortWatch watch;
    const auto start = PortWatch::Clock::time_point() + seconds(100);
    watch.Present({3, 4});
    EXPECT_EQ(watch.NextProbe(start), 3);
    EXPECT_EQ(watch.Probed(3, Probe::Terminal, start), Step::Collect) << "a terminal that arrived is collected";
    watch.Collected(3, Outcome::Done, start);
    EXPECT_EQ(watch.Probed(4, Probe::NoTerminal, start), Step::Wait);
    EXPECT_EQ(watch.NextProbe(start + seconds(1)), std::nullopt) << "both probed a moment ago";
    EXPECT_EQ(watch.NextDue(), start + PortWatch::kProbeEvery);

    const auto later = start + PortWatch::kProbeEvery;
    EXPECT_EQ(watch.Probed(3, Probe::Terminal, later), Step::Wait) << "still in its cradle: not again";
    EXPECT_EQ(watch.Probed(3, Probe::NoTerminal, later + seconds(5)), Step::Wait) << "busy for a moment";
    EXPECT_EQ(watch.Probed(3, Probe::Terminal, later + seconds(10)), Step::Wait) << "it had not left";
    EXPECT_EQ(watch.Probed(3, Probe::NoTerminal, later + seconds(15)), Step::Wait);
    EXPECT_EQ(watch.Probed(3, Probe::NoTerminal, later + seconds(20)), Step::Wait) << "switched off";
    EXPECT_EQ(watch.Probed(3, Probe::Terminal, later + seconds(25)), Step::Collect) << "came back";
    watch.Collected(3, Outcome::Done, later + seconds(25));

    // A port that goes and comes back is a new one: probed at once, collected again.
    EXPECT_EQ(watch.Present({4}), std::vector<std::int16_t>{}) << "a collected terminal left: no news";
    watch.Present({4, 3});
    EXPECT_EQ(watch.NextProbe(later + seconds(31)), 3);
    EXPECT_EQ(watch.Probed(3, Probe::Terminal, later + seconds(31)), Step::Collect);

    // A port another program holds is left alone until its next turn.
    EXPECT_EQ(watch.Probed(4, Probe::Busy, later + seconds(31)), Step::Wait);
    EXPECT_EQ(watch.NextProbe(later + seconds(32)), std::nullopt);
}

// A terminal that fails: said once, tried again after 5, 10, 20 ... s up to
// 5 minutes while it stays, its leaving said once.
TEST(PortWatchTest, AFailingTerminalIsSaidOnceAndTriedAgainLessAndLessOften) {
    PortWatch watch;
    auto now = PortWatch::Clock::time_point() + seconds(1000);
    watch.Present({5});
    ASSERT_EQ(watch.Probed(5, Probe::Terminal, now), Step::Collect);
    EXPECT_TRUE(watch.Collected(5, Outcome::Failed, now)) << "the first failure is news";
    EXPECT_TRUE(watch.FailureSaid(5));

    std::vector<long long> pauses;
    auto failedAt = now;
    for (int probe = 0; probe < 400 && pauses.size() < 8; ++probe) {
        now += PortWatch::kProbeEvery;
        if (watch.Probed(5, Probe::Terminal, now) != Step::Collect) continue;
        pauses.push_back(std::chrono::duration_cast<seconds>(now - failedAt).count());
        EXPECT_FALSE(watch.Collected(5, Outcome::Failed, now)) << "said already";
        failedAt = now;
    }
    EXPECT_EQ(pauses, (std::vector<long long>{5, 10, 20, 40, 80, 160, 300, 300}));
    EXPECT_EQ(watch.Failures(5), 9);

    // It leaves: said once; back again, it is a new docking with news of its own.
    EXPECT_EQ(watch.Probed(5, Probe::NoTerminal, now += seconds(5)), Step::Wait);
    EXPECT_EQ(watch.Probed(5, Probe::NoTerminal, now += seconds(5)), Step::LeftUnsaved);
    EXPECT_EQ(watch.Probed(5, Probe::NoTerminal, now += seconds(5)), Step::Wait);
    EXPECT_EQ(watch.Probed(5, Probe::NoTerminal, now += seconds(5)), Step::Wait);
    ASSERT_EQ(watch.Probed(5, Probe::Terminal, now += seconds(5)), Step::Collect);
    EXPECT_EQ(watch.Failures(5), 0);
    EXPECT_TRUE(watch.Collected(5, Outcome::Failed, now));
    // Its port goes while it is unsaved: said too, and only for it.
    watch.Present({5, 6});
    EXPECT_EQ(watch.Present({}), std::vector<std::int16_t>{5});
}

// A terminal that stops answering between the probe and the press is tried
// again later like a failure, but nothing about it is news.
TEST(PortWatchTest, NoAnswerToThePressIsTriedAgainQuietly) {
    PortWatch watch;
    auto now = PortWatch::Clock::time_point() + seconds(1000);
    watch.Present({7});
    ASSERT_EQ(watch.Probed(7, Probe::Terminal, now), Step::Collect);
    EXPECT_FALSE(watch.Collected(7, Outcome::NoAnswer, now));
    EXPECT_EQ(watch.Probed(7, Probe::Terminal, now + seconds(5)), Step::Collect);
    EXPECT_FALSE(watch.Collected(7, Outcome::NoAnswer, now + seconds(5)));
    EXPECT_EQ(watch.Probed(7, Probe::NoTerminal, now + seconds(10)), Step::Wait);
    EXPECT_EQ(watch.Probed(7, Probe::NoTerminal, now + seconds(15)), Step::Wait) << "no failure was said";
}

}  // namespace
}  // namespace bayhaul
