#include "core/distance.h"

#include <cmath>
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

using test_support::point_at;

struct Hop {
    double distance_m;
    double bearing_deg;
};

Hop measure(double lat1, double lon1, double lat2, double lon2) {
    Hop hop{};
    core::distance_and_bearing(point_at(lat1, lon1), point_at(lat2, lon2), &hop.distance_m,
                               &hop.bearing_deg);
    return hop;
}

TEST(DistanceAndBearing, KnownHops) {
    struct Case {
        double lat1, lon1, lat2, lon2, distance_m, bearing_deg;
    } cases[] = {
        {0, 0, 1, 0, 111195.485, 0.0},
        {10, 0, 9, 0, 111195.485, 180.0},
        {0, 0, 0, 1, 111195.485, 90.0},
        {0, 0, 0, -1, 111195.485, -90.0},
        {55, 82, 55.01, 82.01, 1281.842, 29.830},
        {55.01, 82.01, 55, 82, 1281.842, -150.161},
        {0, 179.9999, 0, -179.9999, 22.239, 90.0},
    };
    for (const Case& c : cases) {
        Hop hop = measure(c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_NEAR(c.distance_m, hop.distance_m, 0.0005) << c.lat1 << "," << c.lon1;
        EXPECT_NEAR(c.bearing_deg, hop.bearing_deg, 0.0005) << c.lat1 << "," << c.lon1;
    }
}

TEST(DistanceAndBearing, MeridianHopsAreExactlyNorthOrSouth) {
    EXPECT_EQ(0.0, measure(0, 0, 1, 0).bearing_deg);
    EXPECT_EQ(180.0, measure(10, 0, 9, 0).bearing_deg);
    // 0.5e-6 radians of longitude is below the threshold.
    double half_micro_deg = 0.5e-6 * core::degrees_per_radian;
    EXPECT_EQ(180.0, measure(10, 0, 9.99, -half_micro_deg).bearing_deg);
    EXPECT_EQ(0.0, measure(10, 0, 10.01, -half_micro_deg).bearing_deg);
}

TEST(DistanceAndBearing, CoincidentPointsAreDueNorthAndClose) {
    Hop hop = measure(55.123456, 82.654321, 55.123456, 82.654321);
    EXPECT_EQ(0.0, hop.bearing_deg);
    EXPECT_GE(hop.distance_m, 0.0);
    EXPECT_LT(hop.distance_m, 1.0);
}

TEST(DistanceAndBearing, SwappingPointsKeepsTheDistance) {
    EXPECT_EQ(measure(55, 82, 55.3, 81.7).distance_m, measure(55.3, 81.7, 55, 82).distance_m);
}

// Near the poles, at antipodes and for hops too short to measure the
// formulas leave their domain; the results must still be usable numbers.
TEST(DistanceAndBearing, DegenerateHopsStayFinite) {
    struct Case {
        double lat1, lon1, lat2, lon2;
    } cases[] = {
        {90, 0, 89.999, 10},        {-90, 0, -89.999, 10},     {90, 0, 90, 45},
        {0, 0, 0, 180},             {0, 0, -0.0000001, 180},   {89.9999999, 0, 89.9999999, 1},
        {100, 0, 99.9, 20},         {-100, 370, 100, -370},    {45, 10, 45.0000000001, 10.0001},
        {0, 0, 1e-9, 0.0001},       {89.99999, 0, 89.99999, 0.001},
    };
    for (const Case& c : cases) {
        Hop hop = measure(c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_TRUE(std::isfinite(hop.distance_m)) << c.lat1 << "," << c.lon1;
        EXPECT_GE(hop.distance_m, 0.0);
        EXPECT_TRUE(std::isfinite(hop.bearing_deg)) << c.lat1 << "," << c.lon1;
        EXPECT_GE(hop.bearing_deg, -180.0);
        EXPECT_LE(hop.bearing_deg, 180.0);
    }
}

TEST(DistanceAndBearing, AntipodesAreHalfTheCircumference) {
    EXPECT_NEAR(20015188.0, measure(0, 0, 0, 180).distance_m, 1.0);
}

TEST(DistanceAndBearing, FromThePoleEveryHopRunsSouth) {
    EXPECT_EQ(180.0, measure(90, 0, 89, 100).bearing_deg);
}

}  // namespace

namespace {

// With a*b + c fused into one multiply-add (what compilers do by default
// where the target has FMA) the cosine of this 7 m hop rounds one unit
// higher and the distance comes out 7.1303 m; waypoint decisions shift.
TEST(DistanceAndBearing, CosineIsRoundedWithoutFusedMultiplyAdd) {
    EXPECT_EQ(7.1309343809944279,
              measure(55.000010000000003, 82.0, 55.000060000000005, 82.000069999999994).distance_m);
}

}  // namespace
