// The preview's arithmetic: the corners of the planned line, the bulge of a ramp's power and
// the stretches above the source's limit.
#include "sequence/Preview.h"

#include <gtest/gtest.h>

namespace {

using namespace sequence;

TEST(Preview, StepsJumpRampsRunStraightFromThePreviousValues) {
    const auto line = previewLine({{5, 0.5, 2, Ramp::Step}, {10, 0.1, 4, Ramp::Linear}}, -1, 0.2);
    ASSERT_EQ(line.size(), 4u);
    const double expected[4][3] = {{0, 0, 0.2}, {0, 5, 0.5}, {2, 5, 0.5}, {6, 10, 0.1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(line[i].seconds, expected[i][0]) << i;
        EXPECT_NEAR(line[i].volts, expected[i][1], 1e-9) << i;
        EXPECT_NEAR(line[i].amps, expected[i][2], 1e-9) << i;
    }
}

TEST(Preview, ARampBetweenTwoAllowedEndsShowsItsBulgeAboveTheLimit) {
    // 2 V 0.75 A to 10 V 0.15 A: 1.5 W at both ends, 2.7 W half way.
    const auto line = previewLine({{2, 0.75, 1, Ramp::Step}, {10, 0.15, 10, Ramp::Linear}}, 0, 0);
    const auto power = powerLine(line);
    double top = 0;
    for (const auto& p : power)
        top = std::max(top, p.watts);
    EXPECT_NEAR(top, 2.7, 0.01);
    const auto spans = overPower(power, 1.5);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(spans[0].from, 1.0, 0.35);
    EXPECT_NEAR(spans[0].to, 11.0, 0.35);
    EXPECT_TRUE(overPower(power, 6.0).empty());
    const PreviewTops tops = previewTops(line, power, 1.5);
    EXPECT_DOUBLE_EQ(tops.seconds, 11.0);
    EXPECT_NEAR(tops.watts, 2.7 * 1.1, 0.02);
}

TEST(Preview, PowerExactlyAtTheCapacityIsNotAboveIt) {
    const auto power = powerLine(previewLine({{20, 0.075, 1, Ramp::Step}}, 0, 0));
    EXPECT_TRUE(overPower(power, 1.5).empty());
    EXPECT_DOUBLE_EQ(previewTops({}, {}, 0).watts, 1.0) << "an empty plan still has axes";
}

} // namespace
