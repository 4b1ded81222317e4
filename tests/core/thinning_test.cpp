#include "core/thinning.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/cr_math.h"
#include "core/entry.h"
#include "core/route_writer.h"
#include "tests/support/test_support.h"

namespace {

using test_support::capture_stdout;
using test_support::contents_of;
using test_support::expect_abort;
using test_support::point_at;

// The scripted reader hands out these points, then reports the end.
std::vector<core::TrackPoint> script;
size_t script_next = 0;

int scripted_reader(core::TrackPoint* point) {
    if (script_next == script.size()) return -1;
    *point = script[script_next++];
    return 0;
}

class ThinTrack : public ::testing::Test {
protected:
    void SetUp() override {
        core::settings = core::default_settings;
        core::output_stream = test_support::temporary_file();
        core::waypoint_count = 0;
        script.clear();
        script_next = 0;
    }
    void TearDown() override {
        // A run that ended has closed it already.
        if (core::output_stream != nullptr) std::fclose(core::output_stream);
        core::output_stream = nullptr;
    }
    void add(double lat, double lon) { script.push_back(point_at(lat, lon)); }
    // Runs the loop; returns the forward records written.
    std::string thin() {
        printed = capture_stdout([] { core::thin_track(scripted_reader); });
        return contents_of(core::output_stream);
    }
    std::string printed;
};

// 30 m of meridian in degrees.
constexpr double step_30m_deg = 30.0 / 111195.485;

TEST_F(ThinTrack, ShortTracksAreRefused) {
    for (int points = 0; points < 3; ++points) {
        script.clear();
        script_next = 0;
        for (int i = 0; i < points; ++i) add(55.0 + i * 0.001, 82.0);
        if (core::output_stream == nullptr) core::output_stream = test_support::temporary_file();
        expect_abort([] { core::thin_track(scripted_reader); }, 5, "Too short input file!\n");
    }
}

TEST_F(ThinTrack, ThreePointsOnALineGiveTwoWaypoints) {
    add(55.0, 82.0);
    add(55.001, 82.0);
    add(55.002, 82.0);
    EXPECT_EQ("W,RW000001, 55.000000,  82.000000,0\r\n"
              "W,RW000002, 55.002000,  82.000000,0\r\n",
              thin());
    EXPECT_EQ("Start: W,RW000001, 55.000000,  82.000000,0\r\n"
              "\r     3      2      222.4 \r\n",
              printed);
}

TEST_F(ThinTrack, PointsInOnePlaceKeepFirstAndLast) {
    for (int i = 0; i < 10; ++i) add(55.0, 82.0 + i * 1e-7);
    EXPECT_EQ("W,RW000001, 55.000000,  82.000000,0\r\n"
              "W,RW000002, 55.000000,  82.000001,0\r\n",
              thin());
}

TEST_F(ThinTrack, StraightMeridianRunBreaksPastTheMaximalDistance) {
    for (int i = 0; i <= 100; ++i) add(i * step_30m_deg, 10.0);
    std::string route = thin();
    // Waypoints at 0, 1020, 2040 and 3000 m (the last point).
    EXPECT_EQ("W,RW000001,  0.000000,  10.000000,0\r\n"
              "W,RW000002,  0.009173,  10.000000,0\r\n"
              "W,RW000003,  0.018346,  10.000000,0\r\n"
              "W,RW000004,  0.026980,  10.000000,0\r\n",
              route);
    EXPECT_EQ("Start: W,RW000001,  0.000000,  10.000000,0\r\n"
              "\r    36      2     1050.0 \r    70      3     2070.0 \r   101      4     3000.0 \r\n",
              printed);
}

TEST_F(ThinTrack, RightAngleTurnMakesTheCornerAWaypoint) {
    for (int i = 0; i <= 5; ++i) add(i * step_30m_deg, 0.0);
    for (int i = 1; i <= 5; ++i) add(5 * step_30m_deg, i * step_30m_deg);
    EXPECT_EQ("W,RW000001,  0.000000,   0.000000,0\r\n"
              "W,RW000002,  0.001349,   0.000000,0\r\n"
              "W,RW000003,  0.001349,   0.001349,0\r\n",
              thin());
}

TEST_F(ThinTrack, FirstDecisionWritingTheSecondPoint) {
    add(0.0, 0.0);
    add(step_30m_deg, 0.0);
    add(step_30m_deg, step_30m_deg);
    add(step_30m_deg, 2 * step_30m_deg);
    thin();
    EXPECT_EQ("Start: W,RW000001,  0.000000,   0.000000,0\r\n"
              "\r     3      2       60.0 \r     4      3       90.0 \r\n",
              printed);
}

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
