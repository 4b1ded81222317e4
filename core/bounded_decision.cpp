// The waypoint decision from bounds on the five values: each threshold
// compared with the bounds first and with the exact value only where they
// leave it open, and the sectors that spare most bearings their bounds.
#include "core/bounded_decision.h"

#include <algorithm>
#include <cmath>

#include "core/cr_math.h"
#include "core/cr_math_inline.h"
#include "core/waypoint_decision.h"

namespace core {

ExactPathCounts exact_path_counts;

namespace {

struct Range {
    double lo, hi;
};

// Bounds on bearing_difference_deg(a, b) for a and b anywhere within their bounds.
// Every step is monotonic, or monotonic on pieces: the rounded difference
// lies between those of the far ends; its absolute value between the
// larger of low, -high and 0 and the larger of -low and high (without a
// branch: the sign of the difference is anyone's guess); fold_angle keeps
// values up to 180 and maps those above to 360 - value, decreasing, so an
// interval across 180 folds to the smaller of its two low ends up to 180.
[[gnu::always_inline]] inline Range angle_bounds(const BoundedValue& a, const BoundedValue& b) {
    double low = a.lo - b.hi, high = a.hi - b.lo;
    Range r = {std::max(std::max(low, -high), 0.0), std::max(-low, high)};
    if (r.lo > 180.0) return {360.0 - r.hi, 360.0 - r.lo};
    if (r.hi > 180.0) return {std::min(360.0 - r.hi, r.lo), 180.0};
    return r;
}

// value < limit, from the bounds (taken where pending) where they decide.
inline bool below(BoundedValue* value, double limit, long long* exact_count) {
    ensure_bounds(value);
    if (value->hi < limit) return true;
    if (value->lo >= limit) return false;
    if (value->lo != value->hi) count_exact_path(exact_count);
    return exact_value(value) < limit;
}

// value > limit, from the bounds (taken where pending) where they decide.
inline bool above(BoundedValue* value, double limit, long long* exact_count) {
    ensure_bounds(value);
    if (value->lo > limit) return true;
    if (value->hi <= limit) return false;
    if (value->lo != value->hi) count_exact_path(exact_count);
    return exact_value(value) > limit;
}

// The sector of one side: the bearings within theta of every reference
// value, as arc cosines (side east) or their negatives (side west)
// between 0 and 180, with their cosines as the ends. The cosines need not
// be exact: every x between the ends gives a bearing between those of the
// ends, by monotony (cr_acos is not increasing, so the bounds of the arc
// cosine at the two ends bound it between them), and the product with the
// scale and angle_bounds carry the bounds on to *angle_hi, a bound on the
// angle between such a bearing and the reference. So they come from the
// reference's own arc cosine argument c and the width's cosine and sine:
// cos(A -+ theta) = c cos theta +- sin A sin theta, sin A = +-sqrt(1 - c^2).
// False where there is no sector.
bool work_out_sector(const BoundedValue& reference, double theta_deg, double theta_cos, double theta_sin,
                     bool west, double* x_lo, double* x_hi, double* angle_hi) {
    if (!(theta_deg > 1e-6 && theta_deg < 89.0)) return false;
    double centre_lo = west ? -reference.hi : reference.lo;
    double centre_hi = west ? -reference.lo : reference.hi;
    double lo = centre_hi - theta_deg, hi = centre_lo + theta_deg;
    if (hi < 0.0) {
        lo += 360.0;
        hi += 360.0;
    }
    bool from_zero = lo <= 0.0, to_half_turn = hi >= 180.0;
    lo = std::max(lo, 0.0);
    hi = std::min(hi, 180.0);
    if (!(lo <= hi)) return false;
    // The cosine and sine of the centre, from the reference's argument
    // where it has one; a known reference's by cr_cos.
    double centre = 0.5 * (centre_lo + centre_hi);
    if (reference.scale != 0.0) {
        double c = reference.acos_argument;
        double s = std::sqrt(std::max(0.0, 1.0 - c * c));
        if (centre < 0.0) s = -s;
        *x_lo = to_half_turn ? -1.0 : c * theta_cos - s * theta_sin;
        *x_hi = from_zero ? 1.0 : c * theta_cos + s * theta_sin;
    } else {
        *x_lo = cr_cos(hi * radians_per_degree);
        *x_hi = cr_cos(lo * radians_per_degree);
    }
    double low_lo, low_hi, high_lo, high_hi;
    acos_bounds(*x_hi, &low_lo, &low_hi);    // the smallest arc cosine
    acos_bounds(*x_lo, &high_lo, &high_hi);  // the largest
    BoundedValue bearing = west ? BoundedValue{high_hi * -degrees_per_radian, low_lo * -degrees_per_radian, 0, 0}
                                : BoundedValue{low_lo * degrees_per_radian, high_hi * degrees_per_radian, 0, 0};
    *angle_hi = angle_bounds(bearing, reference).hi;
    return true;
}

// The offset sector's angle: atan(e/x) lies above y - y^3/3 for y = e/x,
// which the check of the sector then confirms or not.
double offset_sector_deg(const RunSettings& limits) {
    double y = limits.max_orth_error_m / limits.max_distance_m;
    if (!(y > 0.0)) return 0.0;
    if (y > 1.0) y = 1.0;
    return y * (1.0 - y * y / 3) * 0.999 * degrees_per_radian;
}

// Works out the sector of one side: for the turn, the angle to the
// reference is within the maximal angle; for the offset, a leg of the
// maximal distance at that angle gives no offset above the maximal error,
// offset_bounds says, and a shorter one none either.
[[gnu::noinline]] SectorState sector_state(DecisionSectors* sectors, SectorKind kind, BearingSide side,
                                           const BoundedValue& reference, const RunSettings& limits) {
    if (!sectors->widths_known) {
        sectors->widths_known = true;
        sectors->width_deg[turn_sector] = limits.max_angle_deg - 1e-5;
        sectors->width_deg[offset_sector] = offset_sector_deg(limits);
        for (int k = 0; k < 2; ++k) {
            double width = sectors->width_deg[k];
            if (width > 0.0 && width < 90.0)
                cr_sin_cos(width * radians_per_degree, &sectors->width_sin[k], &sectors->width_cos[k]);
        }
    }
    BearingSector* sector = kind == turn_sector ? &sectors->turn : &sectors->offset;
    double angle_hi;
    bool holds = work_out_sector(reference, sectors->width_deg[kind], sectors->width_cos[kind],
                                 sectors->width_sin[kind], side == west_side, &sector->x_lo[side],
                                 &sector->x_hi[side], &angle_hi) &&
                 (kind == offset_sector ? offset_bounds(0.0, limits.max_distance_m, 0.0, angle_hi * radians_per_degree,
                                            limits.max_orth_error_m) == 0
                            : angle_hi <= limits.max_angle_deg);
    sector->state[side] = holds ? sector_holds : no_sector;
    return sector->state[side];
}

// Whether the pending bearing lies in the sector of its side.
inline bool within_sector(DecisionSectors* sectors, SectorKind kind, const BoundedValue& bearing,
                          const BoundedValue& reference, const RunSettings& limits) {
    BearingSide side = bearing.scale < 0.0 ? west_side : east_side;
    BearingSector* sector = kind == turn_sector ? &sectors->turn : &sectors->offset;
    SectorState state = sector->state[side];
    if (state == sector_unknown) state = sector_state(sectors, kind, side, reference, limits);
    double x = bearing.acos_argument;
    return state == sector_holds && x >= sector->x_lo[side] && x <= sector->x_hi[side];
}

// Whether a leg with its bounds pending is certainly not above the maximal
// distance: its argument at or above a cosine whose arc cosine's upper
// bound, times the radius, is not above it (the distance does not grow
// with the argument). The cosine is that of the distance's angle, moved
// up a few ulps until the check holds.
bool near_enough(DecisionSectors* sectors, const BoundedValue& leg, const RunSettings& limits) {
    if (sectors->near_state == sector_unknown) {
        sectors->near_state = no_sector;
        double angle = limits.max_distance_m / earth_radius_m;
        if (angle >= 0.0 && angle < 3.0) {
            double cosine = cr_cos(angle);
            for (int tries = 0; tries < 8; ++tries, cosine = std::nextafter(cosine, 2.0)) {
                double lo, hi;
                acos_bounds(cosine, &lo, &hi);
                if (hi * earth_radius_m <= limits.max_distance_m) {
                    sectors->near_state = sector_holds;
                    sectors->near_cosine = cosine;
                    break;
                }
            }
        }
    }
    return sectors->near_state == sector_holds && leg.acos_argument >= sectors->near_cosine;
}

}  // namespace

int bounded_waypoint_decision(const RunSettings& limits, BoundedValue* leg_distance_m,
                              BoundedValue* leg_bearing_deg, BoundedValue* step_distance_m,
                              BoundedValue* step_bearing_deg, BoundedValue* reference_bearing_deg,
                              bool leg_is_reference, DecisionSectors* sectors) {
    ExactPathCounts& counts = exact_path_counts;
    // The tests of waypoint_decision in its order; each gives the answer
    // of the exact values.
    if (below(step_distance_m, limits.min_distance_m, &counts.step_below_minimum) &&
        below(leg_distance_m, limits.min_distance_m, &counts.leg_below_minimum))
        return 0;
    bool near = bounds_pending(*leg_distance_m) && sectors != nullptr && near_enough(sectors, *leg_distance_m, limits);
    if (!near && above(leg_distance_m, limits.max_distance_m, &counts.leg_above_maximum)) return 1;
    // From here on the leg is not above the maximal distance.

    ensure_bounds(reference_bearing_deg);
    bool turn_decided = false;
    if (bounds_pending(*step_bearing_deg)) {
        turn_decided = sectors != nullptr &&
                       within_sector(sectors, turn_sector, *step_bearing_deg, *reference_bearing_deg, limits);
        if (!turn_decided) ensure_bounds(step_bearing_deg);
    }
    if (!turn_decided) {
        Range turn = angle_bounds(*step_bearing_deg, *reference_bearing_deg);
        if (turn.lo > limits.max_angle_deg) return 1;
        if (!(turn.hi <= limits.max_angle_deg)) {
            count_exact_path(&counts.turn);
            double exact_turn =
                bearing_difference_deg(exact_value(step_bearing_deg), exact_value(reference_bearing_deg));
            if (exact_turn > limits.max_angle_deg) return 1;
        }
    }

    // The same bearing on both sides is 0 degrees apart, and a finite leg
    // times the tangent of 0 is 0.
    if (leg_is_reference) return 0.0 > limits.max_orth_error_m ? 1 : 0;
    if (bounds_pending(*leg_bearing_deg)) {
        if (sectors != nullptr &&
            within_sector(sectors, offset_sector, *leg_bearing_deg, *reference_bearing_deg, limits))
            return 0;
        ensure_bounds(leg_bearing_deg);
    }
    ensure_bounds(leg_distance_m);
    Range offset = angle_bounds(*leg_bearing_deg, *reference_bearing_deg);
    int decided = offset_bounds(leg_distance_m->lo, leg_distance_m->hi, offset.lo * radians_per_degree,
                                offset.hi * radians_per_degree, limits.max_orth_error_m);
    if (decided >= 0) return decided;
    count_exact_path(&counts.offset);
    return offset_decision(limits, exact_value(leg_distance_m), exact_value(leg_bearing_deg),
                           exact_value(reference_bearing_deg));
}

}  // namespace core
