// Random places and the helpers of the tests that thin random tracks
// against the exact decision: the count of decisions to try
// (THINNING_DECISIONS, default 400000; 10^8 for a long run), uniform
// doubles, places anywhere on the sphere with the poles and the date line
// often, and a point reached from another (from the C library: test data
// only).
#ifndef TESTS_SUPPORT_RANDOM_TRACK_H
#define TESTS_SUPPORT_RANDOM_TRACK_H

#include <cmath>
#include <cstdlib>
#include <random>

#include "core/distance.h"
#include "core/track_point.h"
#include "tests/support/test_support.h"

namespace test_support {

using Random = std::mt19937_64;

inline long long decision_count() {
    const char* text = std::getenv("THINNING_DECISIONS");
    return text != nullptr ? std::atoll(text) : 400000;
}

inline double unit(Random& random) { return static_cast<double>(random() >> 11) * 0x1p-53; }

// The point distance_m from p at bearing_deg, on the sphere (test data
// only, from the C library).
inline core::TrackPoint destination(const core::TrackPoint& p, double distance_m, double bearing_deg) {
    double angle = distance_m / core::earth_radius_m, bearing = bearing_deg * core::radians_per_degree;
    double lat = std::asin(std::sin(p.lat_rad) * std::cos(angle) +
                           std::cos(p.lat_rad) * std::sin(angle) * std::cos(bearing));
    double lon = p.lon_rad + std::atan2(std::sin(bearing) * std::sin(angle) * std::cos(p.lat_rad),
                                        std::cos(angle) - std::sin(p.lat_rad) * std::sin(lat));
    return test_support::point_at(lat * core::degrees_per_radian, lon * core::degrees_per_radian);
}

// Coordinates as the readers give them now and then: rounded to a micro
// degree, so that meridians and parallels repeat exactly.
inline core::TrackPoint rounded(const core::TrackPoint& p) {
    return test_support::point_at(std::round(p.lat_deg * 1e6) / 1e6, std::round(p.lon_deg * 1e6) / 1e6);
}

inline core::TrackPoint random_place(Random& random) {
    switch (random() % 8) {
    case 0: return test_support::point_at((random() & 1 ? 1 : -1) * (90.0 - std::pow(10.0, -8.0 * unit(random))),
                                          360.0 * unit(random) - 180.0);
    case 1: return test_support::point_at(180.0 * unit(random) - 90.0, (random() & 1 ? 180.0 : -180.0) -
                                                                            (unit(random) - 0.5) * 1e-3);
    default: return test_support::point_at(170.0 * unit(random) - 85.0, 360.0 * unit(random) - 180.0);
    }
}

}  // namespace test_support

#endif
