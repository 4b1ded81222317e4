// The waypoint decision on exact values, in the order of its thresholds.
#include "core/waypoint_decision.h"

#include "core/cr_math.h"
#include "core/distance.h"

namespace core {

int offset_exceeds(double leg_m, double angle_rad, double limit_m) {
    int decided = offset_bounds(leg_m, leg_m, angle_rad, angle_rad, limit_m);
    if (decided >= 0) return decided;
    return leg_m * cr_tan(angle_rad) > limit_m ? 1 : 0;
}

int offset_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                    double reference_bearing_deg) {
    // The tangent turns negative past 90 degrees, so a candidate behind the
    // reference direction never fires this test.
    double offset_deg = bearing_difference_deg(leg_bearing_deg, reference_bearing_deg);
    return offset_exceeds(leg_distance_m, offset_deg * radians_per_degree, limits.max_orth_error_m);
}

int waypoint_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                      double step_distance_m, double step_bearing_deg,
                      double reference_bearing_deg) {
    if (leg_distance_m < limits.min_distance_m && step_distance_m < limits.min_distance_m)
        return 0;
    if (leg_distance_m > limits.max_distance_m) return 1;
    // The turn compares where the track leaves the candidate with where it
    // left the last waypoint.
    if (bearing_difference_deg(step_bearing_deg, reference_bearing_deg) > limits.max_angle_deg) return 1;
    return offset_decision(limits, leg_distance_m, leg_bearing_deg, reference_bearing_deg);
}

int is_waypoint(double leg_distance_m, double leg_bearing_deg, double step_distance_m,
                double step_bearing_deg, double reference_bearing_deg) {
    return waypoint_decision(settings, leg_distance_m, leg_bearing_deg, step_distance_m,
                             step_bearing_deg, reference_bearing_deg);
}

}  // namespace core
