// The route meter: a route's largest deviation and where it lies, measured
// point by point from its route file, and the track or route changes it
// must catch.
#include "preview/route_meter.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <vector>

#include "core/track_point.h"

namespace {

struct Fix {
    double lat, lon;
};

core::TrackPoint point_at(const Fix& f) {
    core::TrackPoint point;
    core::set_point_degrees(&point, f.lat, f.lon);
    return point;
}

struct Measured {
    bool finished;
    double deviation_m;
    int worst_point, worst_leg;
    std::vector<int> new_worst;  // the points measure_point called worst
};

// Writes the route (track point numbers from 1, each with the
// coordinates given) and measures the track against it.
Measured measure(const std::vector<Fix>& track, const std::vector<int>& route,
                 const std::vector<Fix>& route_points = {}) {
    std::FILE* file = std::tmpfile();
    for (size_t k = 0; k < route.size(); ++k) {
        Fix f = route_points.empty() ? track[route[k] - 1] : route_points[k];
        EXPECT_TRUE(preview::write_waypoint_record(file, route[k], point_at(f)));
    }
    std::rewind(file);
    preview::RouteMeter meter;
    preview::start_meter(&meter, file);
    Measured m = {};
    for (size_t i = 0; i < track.size(); ++i) {
        core::TrackPoint p = point_at(track[i]);
        if (preview::measure_point(&meter, p, preview::unit_vector(p))) m.new_worst.push_back(static_cast<int>(i) + 1);
    }
    m.finished = preview::finish_meter(meter);
    m.deviation_m = preview::largest_deviation_m(meter);
    m.worst_point = meter.worst_point;
    m.worst_leg = meter.worst_leg;
    std::fclose(file);
    return m;
}

// Along the equator, 0.001 degrees of latitude off a leg is 111.195 m.
const std::vector<Fix> bend = {{0, 0}, {0.001, 0.0005}, {0, 0.001}, {-0.002, 0.0015}, {0, 0.002}};

TEST(RouteMeter, TheWorstPointAndItsLeg) {
    Measured m = measure(bend, {1, 3, 5});
    EXPECT_TRUE(m.finished);
    EXPECT_NEAR(222.391, m.deviation_m, 0.001);
    EXPECT_EQ(4, m.worst_point);
    EXPECT_EQ(2, m.worst_leg);
    // The first point, then each larger one.
    EXPECT_EQ((std::vector<int>{1, 2, 4}), m.new_worst);
}

TEST(RouteMeter, WaypointsLieOnTheirLegsAndTiesGoToTheFirst) {
    // Every point a waypoint: nothing strays.
    Measured all = measure(bend, {1, 2, 3, 4, 5});
    EXPECT_TRUE(all.finished);
    EXPECT_EQ(0.0, all.deviation_m);
    EXPECT_EQ(1, all.worst_point);
    // Two points as far off, on either side: the first counts.
    Measured tie = measure({{0, 0}, {0.001, 0.0005}, {0, 0.001}, {-0.001, 0.0015}, {0, 0.002}}, {1, 3, 5});
    EXPECT_NEAR(111.195, tie.deviation_m, 0.001);
    EXPECT_EQ(2, tie.worst_point);
    EXPECT_EQ(1, tie.worst_leg);
}

// Past the leg's end the distance is to the nearer end, not to the great
// circle: a point behind the start on the leg's own line.
TEST(RouteMeter, BeyondTheLegTheNearerEndCounts) {
    Measured m = measure({{0, 0}, {0, -0.001}, {0, 0.001}}, {1, 3});
    EXPECT_TRUE(m.finished);
    EXPECT_NEAR(111.195, m.deviation_m, 0.001);
    EXPECT_EQ(2, m.worst_point);
}

TEST(RouteMeter, ChangedTracksAndRoutesAreCaught) {
    struct Case {
        const char* what;
        std::vector<int> route;
        std::vector<Fix> route_points;
    };
    const Case cases[] = {
        {"the route starts after the first point", {2, 3, 5}, {}},
        {"the route ends before the track", {1, 3}, {}},
        {"the route runs past the track", {1, 3, 5, 6}, {{0, 0}, {0, 0.001}, {0, 0.002}, {0, 0.003}}},
        {"a waypoint is not the point its record names", {1, 3, 5}, {{0, 0}, {0, 0.0010001}, {0, 0.002}}},
        {"the first waypoint is not the first point", {1, 3, 5}, {{0.0000001, 0}, {0, 0.001}, {0, 0.002}}},
        {"the numbers do not rise", {1, 3, 3, 5}, {}},
        {"no waypoint at all", {}, {}},
    };
    for (const Case& c : cases) EXPECT_FALSE(measure(bend, c.route, c.route_points).finished) << c.what;
}

}  // namespace
