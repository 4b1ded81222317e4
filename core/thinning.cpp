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

// value < limit, from the bounds where they decide.
bool below(BoundedValue* value, double limit, long long* exact_count) {
    if (value->hi < limit) return true;
    if (value->lo >= limit) return false;
    if (value->lo != value->hi) ++*exact_count;
    return exact_value(value) < limit;
}

// value > limit, from the bounds where they decide.
bool above(BoundedValue* value, double limit, long long* exact_count) {
    if (value->lo > limit) return true;
    if (value->hi <= limit) return false;
    if (value->lo != value->hi) ++*exact_count;
    return exact_value(value) > limit;
}

}  // namespace

namespace {

// The window of one side for the reference and the angle: the bearings
// within the angle of every reference value, less 10^-5 degrees, as arc
// cosines (side east) or their negatives (side west) between 0 and 180;
// their cosines as the ends, and a check that every x between the ends
// gives a turn within the angle, by monotony: cr_acos is not increasing,
// so the bounds of the arc cosine at the two ends bound it between them,
// and the product with the scale and angle_bounds carry the bounds on.
bool work_out_window(const BoundedValue& reference, double angle_deg, bool west, double* x_lo,
                     double* x_hi) {
    if (!(angle_deg > 1e-4 && angle_deg < 90.0)) return false;
    double centre_lo = west ? -reference.hi : reference.lo;
    double centre_hi = west ? -reference.lo : reference.hi;
    double theta = angle_deg - 1e-5;
    double lo = centre_hi - theta, hi = centre_lo + theta;
    if (hi < 0.0) {
        lo += 360.0;
        hi += 360.0;
    }
    lo = std::max(lo, 0.0);
    hi = std::min(hi, 180.0);
    if (!(lo <= hi)) return false;
    *x_lo = cr_cos(hi * radians_per_degree);
    *x_hi = cr_cos(lo * radians_per_degree);
    double low_lo, low_hi, high_lo, high_hi;
    acos_bounds(*x_hi, &low_lo, &low_hi);    // the smallest arc cosine
    acos_bounds(*x_lo, &high_lo, &high_hi);  // the largest
    BoundedValue bearing = west ? BoundedValue{high_hi * -degrees_per_radian, low_lo * -degrees_per_radian, 0, 0}
                                : BoundedValue{low_lo * degrees_per_radian, high_hi * degrees_per_radian, 0, 0};
    return angle_bounds(bearing, reference).hi <= angle_deg;
}

// Whether the pending step bearing lies in the window of its side.
bool within_window(TurnWindow* window, const BoundedValue& step_bearing,
                   const BoundedValue& reference, double angle_deg) {
    int side = step_bearing.scale < 0.0 ? 1 : 0;
    if (window->state[side] == 0)
        window->state[side] = work_out_window(reference, angle_deg, side == 1, &window->x_lo[side],
                                              &window->x_hi[side]) ? 1 : -1;
    double x = step_bearing.acos_argument;
    return window->state[side] > 0 && x >= window->x_lo[side] && x <= window->x_hi[side];
}

}  // namespace

int bounded_waypoint_decision(const RunSettings& limits, BoundedValue* leg_distance_m,
                              BoundedValue* leg_bearing_deg, BoundedValue* step_distance_m,
                              BoundedValue* step_bearing_deg, BoundedValue* reference_bearing_deg,
                              bool leg_is_reference, TurnWindow* window) {
    ExactPathCounts& counts = exact_path_counts;
    // The tests of waypoint_decision in its order; each gives the answer
    // of the exact values.
    if (below(step_distance_m, limits.min_distance_m, &counts.step_below_minimum) &&
        below(leg_distance_m, limits.min_distance_m, &counts.leg_below_minimum))
        return 0;
    if (above(leg_distance_m, limits.max_distance_m, &counts.leg_above_maximum)) return 1;

    bound_value(reference_bearing_deg);
    bool turn_decided = false;
    if (bounds_pending(*step_bearing_deg)) {
        turn_decided = window != nullptr && within_window(window, *step_bearing_deg, *reference_bearing_deg,
                                                          limits.max_angle_deg);
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
    thinning->turn_window = TurnWindow{};
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

// The first two points: the first is the last waypoint; the hop to the
// second is the first leg, and its bearing the first reference.
void take_first_points(Thinning* thinning) {
    Thinning& t = *thinning;
    if (t.points_read == 1) {
        copy_position(&t.last_waypoint, t.lookahead);
        return;
    }
    t.reference_bearing_deg = t.leg.bearing_deg;
    t.turn_window = TurnWindow{};
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
                                              &t.turn_window) != 0;
    if (t.leg_is_step) {
        hand_waypoint(thinning, &t.candidate);
        copy_position(&t.last_waypoint, t.candidate);
        bound_value(&t.step.bearing_deg);
        t.reference_bearing_deg = t.step.bearing_deg;
        t.turn_window = TurnWindow{};
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

namespace {

Thinning track_thinning;

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
