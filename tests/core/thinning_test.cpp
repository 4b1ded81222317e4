#include "core/thinning.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/command_line.h"
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

}  // namespace
