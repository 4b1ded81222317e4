// Distance, bearing and the waypoint decision for any two points within
// the readers' bounds; with a third point and thresholds, the decision
// from bounds against the one from exact values.
#include <cmath>
#include <cstring>

#include "core/distance.h"
#include "core/thinning.h"
#include "fuzz/fuzz_support.h"

namespace {

// The bounds hold the exact value, pending or not, and give it bit for bit.
void check_bounds(core::BoundedValue value, double exact, const char* what) {
    core::ensure_bounds(&value);
    fuzz::check(value.lo <= exact && exact <= value.hi, what);
    double refined = core::exact_value(&value);
    fuzz::check(std::memcmp(&refined, &exact, sizeof exact) == 0, what);
}

double threshold(const uint8_t* bytes) {
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return std::isfinite(value) ? std::fmod(value, 1e7) : 0.0;
}

}  // namespace

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
    if (size < 80) return 0;

    core::TrackPoint r{};
    core::set_point_degrees(&r, fuzz::coordinate(data + 32, 180), fuzz::coordinate(data + 40, 370));
    core::HopBounds pq, qr, pr;
    core::measure_hops(p, q, r, &pq, &qr);
    core::measure_hop(p, r, &pr);
    double step_m, step_deg, reference_m, reference_deg;
    core::distance_and_bearing(q, r, &step_m, &step_deg);
    core::distance_and_bearing(p, r, &reference_m, &reference_deg);
    check_bounds(pq.distance_m, distance_m, "leg distance bounds");
    check_bounds(pq.bearing_deg, bearing_deg, "leg bearing bounds");
    check_bounds(qr.distance_m, step_m, "step distance bounds");
    check_bounds(qr.bearing_deg, step_deg, "step bearing bounds");
    check_bounds(pr.bearing_deg, reference_deg, "reference bearing bounds");

    core::RunSettings limits = core::default_settings;
    limits.min_distance_m = threshold(data + 48);
    limits.max_distance_m = threshold(data + 56);
    limits.max_angle_deg = threshold(data + 64);
    limits.max_orth_error_m = threshold(data + 72);
    core::DecisionSectors sectors{};
    int bounded = core::bounded_waypoint_decision(limits, &pq.distance_m, &pq.bearing_deg, &qr.distance_m,
                                                  &qr.bearing_deg, &pr.bearing_deg, false, &sectors);
    int exact = core::waypoint_decision(limits, distance_m, bearing_deg, step_m, step_deg, reference_deg);
    fuzz::check(bounded == exact, "decision from bounds");
    return 0;
}
