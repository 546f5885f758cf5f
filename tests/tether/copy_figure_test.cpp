#include "bench/copy_figure.h"

#include <gtest/gtest.h>

namespace bayhaul::bench {
namespace {

TEST(CopyFigure, AnEfficiencyOnlyForCopiesThatAreDoneAndIdentical) {
    const CopyRun good{true, true, 10.0, "library status 2"};
    // 115200 bit/s is 11520 bytes a second: 115200 bytes in 10 s is the whole line.
    const CopyFigure figure = Judge({good, {true, true, 12.0, ""}, {true, true, 11.0, ""}}, 115200, 115200);
    EXPECT_TRUE(figure.counts);
    EXPECT_DOUBLE_EQ(figure.seconds, 11.0) << "the median";
    EXPECT_NEAR(figure.efficiency, 10.0 / 11.0, 1e-9);
    EXPECT_EQ(Describe(figure), "   11.00 s  0.909");

    const CopyFigure wrong = Judge({good, {true, false, 9.0, "library status 2"}}, 115200, 115200);
    EXPECT_FALSE(wrong.counts);
    EXPECT_EQ(Describe(wrong), "FAILED: the copy differs from the source");

    const CopyFigure failed = Judge({{false, true, 9.0, "library status 7"}, good}, 115200, 115200);
    EXPECT_EQ(Describe(failed), "FAILED: the transfer failed (library status 7)");
}

TEST(CopyFigure, AnotherProgramsFailedRunsAreCountedAndLeftOutOfItsMedian) {
    const CopyRun bad{false, false, 99.0, "rz exit status 128"};
    const CopyFigure some = JudgeOther({bad, {true, true, 20.0, ""}, {true, true, 10.0, ""}}, 115200, 115200);
    EXPECT_TRUE(some.counts);
    EXPECT_DOUBLE_EQ(some.seconds, 20.0) << "the median of the two that succeeded";
    EXPECT_EQ(Describe(some), "   20.00 s  0.500 (1 of 3 runs failed)");
    EXPECT_EQ(Describe(JudgeOther({bad, bad}, 115200, 115200)),
              "FAILED in all 2 runs: the transfer failed (rz exit status 128)");
}

}  // namespace
}  // namespace bayhaul::bench
