// The waypoint decision on exact values: each threshold hit exactly and
// just past, the fold of the turn, and the offset's shortcut against the
// tangent itself.
#include "core/waypoint_decision.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

#include "core/command_line.h"
#include "core/cr_math.h"

namespace {

TEST(FoldAngle, DifferenceAbove180FoldsBack) {
    EXPECT_EQ(3.0, core::fold_angle(357.0));
    EXPECT_EQ(180.0, core::fold_angle(180.0));
    EXPECT_EQ(90.0, core::fold_angle(270.0));
    EXPECT_EQ(0.0, core::fold_angle(0.0));
}

class IsWaypoint : public ::testing::Test {
protected:
    void SetUp() override { core::settings = core::default_settings; }
};

TEST_F(IsWaypoint, Decisions) {
    struct Case {
        double leg_m, leg_bearing, step_m, step_bearing, reference;
        int expected;
        const char* why;
    } cases[] = {
        {4.9, 0, 4.9, 90, 0, 0, "both hops below the minimum"},
        {3, 0, 20, 90, 0, 1, "short leg, long step, sharp turn"},
        {20, 0, 3, 90, 0, 1, "long leg, short step, sharp turn"},
        {1000, 0, 30, 0, 0, 0, "leg exactly the maximum"},
        {1000.001, 0, 30, 0, 0, 1, "leg past the maximum"},
        {500, 0, 30, 5, 0, 0, "turn exactly the maximum"},
        {500, 0, 30, 5.001, 0, 1, "turn past the maximum"},
        {500, 0, 30, 179, -178, 0, "357 degrees fold to 3"},
        {500, 6, 30, 0, 0, 1, "offset 52.55 m"},
        {500, 4, 30, 0, 0, 0, "offset 34.96 m"},
        {500, 170, 30, 0, 0, 0, "behind the reference: negative tangent"},
        {0.5, 90, 30, 0, 0, 1, "abeam: huge tangent"},
        {0, 90, 30, 0, 0, 0, "abeam with no leg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, core::is_waypoint(c.leg_m, c.leg_bearing, c.step_m, c.step_bearing,
                                                c.reference))
            << c.why;
}

TEST_F(IsWaypoint, OffsetExactlyTheMaximumDoesNotTrigger) {
    core::settings.max_orth_error_m = 100.0;
    // tan(45 degrees) rounds to 0.9999999999999999, so 100 m of leg gives an
    // offset just below 100.
    EXPECT_EQ(0, core::is_waypoint(100.0, 45.0, 30.0, 0.0, 0.0));
    core::settings.max_orth_error_m = 99.99;
    EXPECT_EQ(1, core::is_waypoint(100.0, 45.0, 30.0, 0.0, 0.0));
}

// The bounds that spare the tangent must give the tangent's answer, most
// of all where the offset lies within a few ulps of the limit, and where
// the limit is negative or NaN.
TEST(OffsetExceeds, AgreesWithTheTangent) {
    std::mt19937_64 random(1208);
    std::uniform_real_distribution<double> leg(0.0, 2000.0), angle(0.0, 1.2);
    for (int i = 0; i < 200000; ++i) {
        double leg_m = i % 7 == 0 ? 0.0 : leg(random);
        double angle_rad = i % 11 == 0 ? 1.0 : angle(random);
        double offset_m = leg_m * core::cr_tan(angle_rad);
        double limit_m = offset_m;
        for (int steps = static_cast<int>(random() % 7) - 3; steps < 0; ++steps)
            limit_m = std::nextafter(limit_m, -1.0);
        for (int steps = static_cast<int>(random() % 7) - 3; steps > 0; --steps)
            limit_m = std::nextafter(limit_m, 1e300);
        if (i % 13 == 0) limit_m = -limit_m - 1.0;
        if (i % 101 == 0) limit_m = std::nan("");
        ASSERT_EQ(offset_m > limit_m ? 1 : 0, core::offset_exceeds(leg_m, angle_rad, limit_m))
            << leg_m << " " << std::hexfloat << angle_rad << " " << limit_m;
    }
}

}  // namespace
