// The thinning of a track into waypoints, point by point, and the
// converters' loop around it.
#include "core/thinning.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/command_line.h"
#include "core/console.h"
#include "core/cr_math.h"
#include "core/cr_math_inline.h"
#include "core/distance.h"
#include "core/number_writer.h"
#include "core/platform.h"
#include "core/route_writer.h"

namespace core {

namespace {

// On a terminal the progress line is flushed as it changes, at most ten
// times a second; into a file or pipe it stays block-buffered. The bytes
// are the same either way.
bool progress_on_terminal = false;
double last_flush_s = 0.0;
constexpr double flush_interval_s = 0.1;

// "\r%6d %6d %10.1f ": the counts and the length, overwriting the line
// before on a terminal.
void print_progress(int points_read, int waypoints_written, double track_length_m) {
    char line[fixed_text_size + 64];
    int length = 0;
    line[length++] = '\r';
    length += format_integer(line + length, points_read, 6, false);
    line[length++] = ' ';
    length += format_integer(line + length, waypoints_written, 6, false);
    line[length++] = ' ';
    length += format_fixed(line + length, track_length_m, 1, 10);
    line[length++] = ' ';
    print_bytes(line, length);
    if (!progress_on_terminal) return;
    double now_s = platform::monotonic_seconds();
    if (now_s - last_flush_s < flush_interval_s) return;
    last_flush_s = now_s;
    std::fflush(console);
}

}  // namespace

int read_next_point(RecordParser parser, TrackPoint* point) {
    int result;
    do {
        result = parser(point);
    } while (result > 0);
    return result;
}

namespace {

constexpr double tangent_margin = 0x1p-50;
constexpr double half_pi_rounded = 1.5707963267948966;  // below pi/2
constexpr double pi_rounded_down = 3.141592653589793;

// Bounds on the tangent decide whether leg_m * cr_tan(angle_rad) >
// limit_m for every leg_m within [leg_lo, leg_hi] and angle_rad within
// [angle_lo, angle_hi]: 1 or 0, or -1 where they leave it open. The
// rounded product is monotonic in each factor where both are not
// negative, and the correctly rounded tangent is monotonic on every
// interval where the tangent itself is.
int offset_bounds(double leg_lo, double leg_hi, double angle_lo, double angle_hi, double limit_m) {
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
    if (angle_lo > half_pi_rounded && angle_hi <= pi_rounded_down && !(limit_m < 0.0)) return 0;
    return -1;
}

}  // namespace

int offset_exceeds(double leg_m, double angle_rad, double limit_m) {
    int decided = offset_bounds(leg_m, leg_m, angle_rad, angle_rad, limit_m);
    if (decided >= 0) return decided;
    return leg_m * cr_tan(angle_rad) > limit_m ? 1 : 0;
}

double fold_angle(double difference_deg) {
    return difference_deg > 180.0 ? 360.0 - difference_deg : difference_deg;
}

namespace {

// The angle between two bearings, as the turn and the offset take it.
double angle_between(double bearing_deg, double reference_deg) {
    return fold_angle(std::fabs(bearing_deg - reference_deg));
}

int offset_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                    double reference_bearing_deg) {
    // The tangent turns negative past 90 degrees, so a candidate behind the
    // reference direction never fires this test.
    double offset_deg = angle_between(leg_bearing_deg, reference_bearing_deg);
    return offset_exceeds(leg_distance_m, offset_deg * radians_per_degree, limits.max_orth_error_m);
}

}  // namespace

int waypoint_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                      double step_distance_m, double step_bearing_deg,
                      double reference_bearing_deg) {
    if (leg_distance_m < limits.min_distance_m && step_distance_m < limits.min_distance_m)
        return 0;
    if (leg_distance_m > limits.max_distance_m) return 1;
    // The turn compares where the track leaves the candidate with where it
    // left the last waypoint.
    if (angle_between(step_bearing_deg, reference_bearing_deg) > limits.max_angle_deg) return 1;
    return offset_decision(limits, leg_distance_m, leg_bearing_deg, reference_bearing_deg);
}

int is_waypoint(double leg_distance_m, double leg_bearing_deg, double step_distance_m,
                double step_bearing_deg, double reference_bearing_deg) {
    return waypoint_decision(settings, leg_distance_m, leg_bearing_deg, step_distance_m,
                             step_bearing_deg, reference_bearing_deg);
}

ExactPathCounts exact_path_counts;

namespace {

struct Range {
    double lo, hi;
};

// Bounds on angle_between(a, b) for a and b anywhere within their bounds.
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
    bound_value(value);
    if (value->hi < limit) return true;
    if (value->lo >= limit) return false;
    if (value->lo != value->hi) ++*exact_count;
    return exact_value(value) < limit;
}

// value > limit, from the bounds (taken where pending) where they decide.
inline bool above(BoundedValue* value, double limit, long long* exact_count) {
    bound_value(value);
    if (value->lo > limit) return true;
    if (value->hi <= limit) return false;
    if (value->lo != value->hi) ++*exact_count;
    return exact_value(value) > limit;
}

// The window of one side: the bearings within theta of every reference
// value, as arc cosines (side east) or their negatives (side west)
// between 0 and 180, with their cosines as the ends. The cosines need not
// be exact: every x between the ends gives a bearing between those of the
// ends, by monotony (cr_acos is not increasing, so the bounds of the arc
// cosine at the two ends bound it between them), and the product with the
// scale and angle_bounds carry the bounds on to *angle_hi, a bound on the
// angle between such a bearing and the reference. So they come from the
// reference's own arc cosine argument c and the width's cosine and sine:
// cos(A -+ theta) = c cos theta +- sin A sin theta, sin A = +-sqrt(1 - c^2).
// False where there is no window.
bool work_out_window(const BoundedValue& reference, double theta_deg, double theta_cos, double theta_sin,
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

// The offset window's angle: atan(e/x) lies above y - y^3/3 for y = e/x,
// which the check of the window then confirms or not.
double offset_window_deg(const RunSettings& limits) {
    double y = limits.max_orth_error_m / limits.max_distance_m;
    if (!(y > 0.0)) return 0.0;
    if (y > 1.0) y = 1.0;
    return y * (1.0 - y * y / 3) * 0.999 * degrees_per_radian;
}

// Works out the window of one side: for the turn (kind 0), the angle to
// the reference is within the maximal angle; for the offset (kind 1), a
// leg of the maximal distance at that angle gives no offset above the
// maximal error, offset_bounds says, and a shorter one none either.
[[gnu::noinline]] signed char window_state(DecisionWindows* windows, int kind, int side,
                                           const BoundedValue& reference, const RunSettings& limits) {
    if (!windows->widths_known) {
        windows->widths_known = true;
        windows->width_deg[0] = limits.max_angle_deg - 1e-5;
        windows->width_deg[1] = offset_window_deg(limits);
        for (int k = 0; k < 2; ++k) {
            double width = windows->width_deg[k];
            if (width > 0.0 && width < 90.0)
                cr_sin_cos(width * radians_per_degree, &windows->width_sin[k], &windows->width_cos[k]);
        }
    }
    BearingWindow* window = kind == 0 ? &windows->turn : &windows->offset;
    double angle_hi;
    bool holds = work_out_window(reference, windows->width_deg[kind], windows->width_cos[kind],
                                 windows->width_sin[kind], side == 1, &window->x_lo[side],
                                 &window->x_hi[side], &angle_hi) &&
                 (kind == 1 ? offset_bounds(0.0, limits.max_distance_m, 0.0, angle_hi * radians_per_degree,
                                            limits.max_orth_error_m) == 0
                            : angle_hi <= limits.max_angle_deg);
    window->state[side] = holds ? 1 : -1;
    return window->state[side];
}

// Whether the pending bearing lies in the window of its side.
inline bool within_window(DecisionWindows* windows, int kind, const BoundedValue& bearing,
                          const BoundedValue& reference, const RunSettings& limits) {
    int side = bearing.scale < 0.0 ? 1 : 0;
    BearingWindow* window = kind == 0 ? &windows->turn : &windows->offset;
    signed char state = window->state[side];
    if (state == 0) state = window_state(windows, kind, side, reference, limits);
    double x = bearing.acos_argument;
    return state > 0 && x >= window->x_lo[side] && x <= window->x_hi[side];
}

// Whether a leg with its bounds pending is certainly not above the maximal
// distance: its argument at or above a cosine whose arc cosine's upper
// bound, times the radius, is not above it (the distance does not grow
// with the argument). The cosine is that of the distance's angle, moved
// up a few ulps until the check holds.
bool near_enough(DecisionWindows* windows, const BoundedValue& leg, const RunSettings& limits) {
    if (windows->near_state == 0) {
        windows->near_state = -1;
        double angle = limits.max_distance_m / earth_radius_m;
        if (angle >= 0.0 && angle < 3.0) {
            double cosine = cr_cos(angle);
            for (int tries = 0; tries < 8; ++tries, cosine = std::nextafter(cosine, 2.0)) {
                double lo, hi;
                acos_bounds(cosine, &lo, &hi);
                if (hi * earth_radius_m <= limits.max_distance_m) {
                    windows->near_state = 1;
                    windows->near_cosine = cosine;
                    break;
                }
            }
        }
    }
    return windows->near_state > 0 && leg.acos_argument >= windows->near_cosine;
}

}  // namespace

int bounded_waypoint_decision(const RunSettings& limits, BoundedValue* leg_distance_m,
                              BoundedValue* leg_bearing_deg, BoundedValue* step_distance_m,
                              BoundedValue* step_bearing_deg, BoundedValue* reference_bearing_deg,
                              bool leg_is_reference, DecisionWindows* windows) {
    ExactPathCounts& counts = exact_path_counts;
    // The tests of waypoint_decision in its order; each gives the answer
    // of the exact values.
    if (below(step_distance_m, limits.min_distance_m, &counts.step_below_minimum) &&
        below(leg_distance_m, limits.min_distance_m, &counts.leg_below_minimum))
        return 0;
    bool near = bounds_pending(*leg_distance_m) && windows != nullptr && near_enough(windows, *leg_distance_m, limits);
    if (!near && above(leg_distance_m, limits.max_distance_m, &counts.leg_above_maximum)) return 1;
    // From here on the leg is not above the maximal distance.

    bound_value(reference_bearing_deg);
    bool turn_decided = false;
    if (bounds_pending(*step_bearing_deg)) {
        turn_decided = windows != nullptr &&
                       within_window(windows, 0, *step_bearing_deg, *reference_bearing_deg, limits);
        if (!turn_decided) bound_value(step_bearing_deg);
    }
    if (!turn_decided) {
        Range turn = angle_bounds(*step_bearing_deg, *reference_bearing_deg);
        if (turn.lo > limits.max_angle_deg) return 1;
        if (!(turn.hi <= limits.max_angle_deg)) {
            ++counts.turn;
            double exact_turn = angle_between(exact_value(step_bearing_deg), exact_value(reference_bearing_deg));
            if (exact_turn > limits.max_angle_deg) return 1;
        }
    }

    // The same bearing on both sides is 0 degrees apart, and a finite leg
    // times the tangent of 0 is 0.
    if (leg_is_reference) return 0.0 > limits.max_orth_error_m ? 1 : 0;
    if (bounds_pending(*leg_bearing_deg)) {
        if (windows != nullptr &&
            within_window(windows, 1, *leg_bearing_deg, *reference_bearing_deg, limits))
            return 0;
        bound_value(leg_bearing_deg);
    }
    bound_value(leg_distance_m);
    Range offset = angle_bounds(*leg_bearing_deg, *reference_bearing_deg);
    int decided = offset_bounds(leg_distance_m->lo, leg_distance_m->hi, offset.lo * radians_per_degree,
                                offset.hi * radians_per_degree, limits.max_orth_error_m);
    if (decided >= 0) return decided;
    ++counts.offset;
    return offset_decision(limits, exact_value(leg_distance_m), exact_value(leg_bearing_deg),
                           exact_value(reference_bearing_deg));
}

void start_thinning(Thinning* thinning, const RunSettings& limits, WaypointSink sink) {
    thinning->limits = limits;
    thinning->sink = sink;
    thinning->leg = HopBounds{known_value(0.0), known_value(0.0)};
    thinning->step = thinning->leg;
    thinning->reference_bearing_deg = known_value(0.0);
    thinning->windows = DecisionWindows{};
    thinning->track_length_m = 0.0;
    thinning->points_read = 0;
    thinning->waypoints_written = 0;
    thinning->leg_is_step = false;
}

namespace {

void hand_waypoint(Thinning* thinning, TrackPoint* point) {
    ++thinning->waypoints_written;
    thinning->sink.take_waypoint(thinning, point);
}

// Adds the hop to the track length: where the sums with its two bounds
// round to the same double, so does the sum with the hop itself, as
// rounding is monotonic.
void add_to_track_length(Thinning* thinning, BoundedValue* hop_m) {
    double sum = thinning->track_length_m + hop_m->lo;
    if (sum != thinning->track_length_m + hop_m->hi) {
        ++exact_path_counts.track_length;
        sum = thinning->track_length_m + exact_value(hop_m);
    }
    thinning->track_length_m = sum;
}

// A new reference bearing: the bearing windows of the old one no longer
// hold.
void set_reference(Thinning* thinning, const BoundedValue& bearing_deg) {
    thinning->reference_bearing_deg = bearing_deg;
    thinning->windows.turn = BearingWindow{};
    thinning->windows.offset = BearingWindow{};
}

// The first two points: the first is the last waypoint; the hop to the
// second is the first leg, and its bearing the first reference.
void take_first_points(Thinning* thinning) {
    Thinning& t = *thinning;
    if (t.points_read == 1) {
        copy_position(&t.last_waypoint, t.lookahead);
        return;
    }
    set_reference(thinning, t.leg.bearing_deg);
    add_to_track_length(thinning, &t.leg.distance_m);
    copy_position(&t.candidate, t.lookahead);
}

// From the third point on, with t.step the hop from the candidate to the
// lookahead and t.leg the one from the last waypoint to the candidate:
// decides the candidate.
void decide_candidate(Thinning* thinning) {
    Thinning& t = *thinning;
    add_to_track_length(thinning, &t.step.distance_m);
    if (t.points_read == 3) hand_waypoint(thinning, &t.last_waypoint);

    // The first leg is the first hop, and so is the reference bearing.
    bool leg_is_reference = t.points_read == 3 || t.leg_is_step;
    t.leg_is_step = bounded_waypoint_decision(t.limits, &t.leg.distance_m, &t.leg.bearing_deg,
                                              &t.step.distance_m, &t.step.bearing_deg,
                                              &t.reference_bearing_deg, leg_is_reference,
                                              &t.windows) != 0;
    if (t.leg_is_step) {
        hand_waypoint(thinning, &t.candidate);
        copy_position(&t.last_waypoint, t.candidate);
        bound_value(&t.step.bearing_deg);
        set_reference(thinning, t.step.bearing_deg);
        t.leg = t.step;
    }
    // The lookahead slot is free again for the next point.
    copy_position(&t.candidate, t.lookahead);
}

// Whether the leg to the candidate is to be measured: from the fourth
// point on, unless the last decision made it the step before.
bool leg_to_measure(const Thinning& t) { return t.points_read > 3 && !t.leg_is_step; }

}  // namespace

void take_point(Thinning* thinning) {
    Thinning& t = *thinning;
    int count = ++t.points_read;
    if (count <= 2) {
        if (count == 2) measure_hop(t.last_waypoint, t.lookahead, &t.leg);
        take_first_points(thinning);
        return;
    }
    // The decision needs the new step and, after a dropped candidate, the
    // new leg: both measured at once.
    if (leg_to_measure(t)) measure_hops(t.last_waypoint, t.candidate, t.lookahead, &t.leg, &t.step);
    else measure_step(t.candidate, t.lookahead, &t.step);
    decide_candidate(thinning);
}

void take_point_after_bounded_hop(Thinning* thinning, const HopBounds& hop) {
    Thinning& t = *thinning;
    int count = ++t.points_read;
    if (count <= 2) {
        t.leg = hop;
        take_first_points(thinning);
        return;
    }
    if (leg_to_measure(t)) measure_hop(t.last_waypoint, t.candidate, &t.leg);
    t.step = hop;
    decide_candidate(thinning);
}

void take_point_after_hop(Thinning* thinning, double hop_distance_m, double hop_bearing_deg) {
    take_point_after_bounded_hop(thinning, HopBounds{known_value(hop_distance_m), known_value(hop_bearing_deg)});
}

bool finish_thinning(Thinning* thinning) {
    if (thinning->points_read < 3) return false;
    // The last track point ends the route without a decision.
    hand_waypoint(thinning, &thinning->candidate);
    return true;
}

Thinning track_thinning;

namespace {

// The converters' sink: each waypoint is appended to the forward route;
// the first is echoed after "Start: ", every further one moves the
// progress line on.
void write_to_route(Thinning* thinning, TrackPoint* point) {
    write_waypoint(point);
    if (thinning->waypoints_written == 1) {
        print_text("Start: ");
        print_text(point->text);
        return;
    }
    print_progress(thinning->points_read, thinning->waypoints_written, thinning->track_length_m);
}

}  // namespace

void thin_track(PointReader read_next_point) {
    progress_on_terminal = platform::is_terminal(console);
    last_flush_s = 0.0;
    start_thinning(&track_thinning, settings, WaypointSink{write_to_route, nullptr});
    while (read_next_point(&track_thinning.lookahead) == 0) take_point(&track_thinning);
    if (!finish_thinning(&track_thinning)) abort_run("Too short input file!\n", exit_too_short);
    print_text("\r\n");
    if (progress_on_terminal) std::fflush(console);
}

}  // namespace core
