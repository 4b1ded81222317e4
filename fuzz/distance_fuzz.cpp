// Distance, bearing and the waypoint decision for any two points within
// the readers' bounds.
#include <cmath>
#include <cstring>

#include "core/distance.h"
#include "core/thinning.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 32) return 0;
    core::TrackPoint p{}, q{};
    core::set_point_degrees(&p, fuzz::coordinate(data, 180), fuzz::coordinate(data + 8, 370));
    core::set_point_degrees(&q, fuzz::coordinate(data + 16, 180), fuzz::coordinate(data + 24, 370));
    double distance_m, bearing_deg;
    core::distance_and_bearing(p, q, &distance_m, &bearing_deg);
    fuzz::check(std::isfinite(distance_m) && distance_m >= 0, "distance");
    fuzz::check(std::isfinite(bearing_deg) && bearing_deg >= -180 && bearing_deg <= 180, "bearing");
    int decision = core::is_waypoint(distance_m, bearing_deg, distance_m / 2, -bearing_deg, 0);
    fuzz::check(decision == 0 || decision == 1, "decision");
    return 0;
}
