// The waypoint decision on exact values: the four thresholds against the
// leg from the last waypoint to the candidate, the step from the candidate
// to the next point and the reference bearing, and the angle and offset
// arithmetic that the decision from bounds shares.
#ifndef CORE_WAYPOINT_DECISION_H
#define CORE_WAYPOINT_DECISION_H

#include <cmath>

#include "core/command_line.h"
#include "core/track_point.h"

namespace core {

// Returns 360 - difference when the absolute bearing difference is above
// 180, else the difference itself: the angle between two bearings.
inline double fold_angle(double difference_deg) {
    return difference_deg > 180.0 ? 360.0 - difference_deg : difference_deg;
}

// The angle between two bearings, as the turn and the offset take it.
inline double bearing_difference_deg(double bearing_deg, double reference_deg) {
    return fold_angle(std::fabs(bearing_deg - reference_deg));
}

inline constexpr double tangent_margin = 0x1p-50;

// Bounds on the tangent decide whether leg_m * cr_tan(angle_rad) >
// limit_m for every leg_m within [leg_lo, leg_hi] and angle_rad within
// [angle_lo, angle_hi]: 1 or 0, or -1 where they leave it open. The
// rounded product is monotonic in each factor where both are not
// negative, and the correctly rounded tangent is monotonic on every
// interval where the tangent itself is.
inline int offset_bounds(double leg_lo, double leg_hi, double angle_lo, double angle_hi, double limit_m) {
    if (leg_lo < 0.0 || angle_lo < 0.0) return -1;
    if (angle_hi <= 1.0) {
        // The tangent's series has only positive terms: angle + angle^3/3
        // lies below it, and with 0.2241 angle^5 added (tan 1 - 4/3 =
        // 0.22407.., rounded up) above it, up to 1. The margins of 2^-50
        // cover the roundings here and the tangent's own half ulp.
        double square = angle_hi * angle_hi;
        double above = angle_hi + angle_hi * square * (1.0 / 3) + square * square * angle_hi * 0.2241;
        if (leg_hi * (above * (1.0 + tangent_margin)) <= limit_m) return 0;
        square = angle_lo * angle_lo;
        double below = angle_lo + angle_lo * square * (1.0 / 3);
        if (leg_lo * (below * (1.0 - tangent_margin)) > limit_m) return 1;
        return -1;
    }
    // Past the double below pi/2 and up to pi the tangent is negative, so
    // the offset is not above a limit that is not negative (or NaN).
    if (angle_lo > pi / 2 && angle_hi <= pi && !(limit_m < 0.0)) return 0;
    return -1;
}


// Whether leg_m * tan(angle_rad) > limit_m, with the correctly rounded
// tangent: 1 or 0. Where bounds on the tangent already decide the
// comparison the tangent itself is not computed; the answer is the same.
int offset_exceeds(double leg_m, double angle_rad, double limit_m);

// Whether the candidate lies too far off the reference direction: the
// offset of the leg at its angle to the reference above the maximal
// orthogonal error of limits. 1 or 0.
int offset_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                    double reference_bearing_deg);

// Decides whether the candidate becomes a waypoint (1) or is dropped (0)
// under the four thresholds of limits. Every comparison is strict.
int waypoint_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                      double step_distance_m, double step_bearing_deg,
                      double reference_bearing_deg);

// waypoint_decision under the process-wide settings.
int is_waypoint(double leg_distance_m, double leg_bearing_deg, double step_distance_m,
                double step_bearing_deg, double reference_bearing_deg);

}  // namespace core

#endif
