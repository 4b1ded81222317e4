// The thinning of a track into waypoints, point by point, and the
// converters' loop around it.
#include "core/thinning.h"

#include <cmath>
#include <cstdio>

#include "core/command_line.h"
#include "core/console.h"
#include "core/cr_math.h"
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

int offset_exceeds(double leg_m, double angle_rad, double limit_m) {
    if (angle_rad >= 0.0 && angle_rad <= 1.0 && leg_m >= 0.0) {
        // The tangent's series has only positive terms: angle + angle^3/3
        // lies below it, and with 0.2241 angle^5 added (tan 1 - 4/3 =
        // 0.22407.., rounded up) above it, up to 1. The margins of 2^-50
        // cover the roundings here and the tangent's own half ulp.
        double square = angle_rad * angle_rad;
        double below = angle_rad + angle_rad * square * (1.0 / 3);
        double above = below + square * square * angle_rad * 0.2241;
        if (leg_m * (above * (1.0 + 0x1p-50)) <= limit_m) return 0;
        if (leg_m * (below * (1.0 - 0x1p-50)) > limit_m) return 1;
    }
    return leg_m * cr_tan(angle_rad) > limit_m ? 1 : 0;
}

double fold_angle(double difference_deg) {
    return difference_deg > 180.0 ? 360.0 - difference_deg : difference_deg;
}

int waypoint_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                      double step_distance_m, double step_bearing_deg,
                      double reference_bearing_deg) {
    if (leg_distance_m < limits.min_distance_m && step_distance_m < limits.min_distance_m)
        return 0;
    if (leg_distance_m > limits.max_distance_m) return 1;
    // The turn compares where the track leaves the candidate with where it
    // left the last waypoint.
    double turn_deg = fold_angle(std::fabs(step_bearing_deg - reference_bearing_deg));
    if (turn_deg > limits.max_angle_deg) return 1;
    // The tangent turns negative past 90 degrees, so a candidate behind the
    // reference direction never fires this test.
    double offset_deg = fold_angle(std::fabs(leg_bearing_deg - reference_bearing_deg));
    return offset_exceeds(leg_distance_m, offset_deg * radians_per_degree, limits.max_orth_error_m);
}

int is_waypoint(double leg_distance_m, double leg_bearing_deg, double step_distance_m,
                double step_bearing_deg, double reference_bearing_deg) {
    return waypoint_decision(settings, leg_distance_m, leg_bearing_deg, step_distance_m,
                             step_bearing_deg, reference_bearing_deg);
}

void start_thinning(Thinning* thinning, const RunSettings& limits, WaypointSink sink) {
    thinning->limits = limits;
    thinning->sink = sink;
    thinning->leg_distance_m = 0.0;
    thinning->leg_bearing_deg = 0.0;
    thinning->step_distance_m = 0.0;
    thinning->step_bearing_deg = 0.0;
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

}  // namespace

void take_point(Thinning* thinning) {
    double hop_distance_m = 0.0, hop_bearing_deg = 0.0;
    if (thinning->points_read >= 1) {
        const TrackPoint& before =
            thinning->points_read == 1 ? thinning->last_waypoint : thinning->candidate;
        distance_and_bearing(before, thinning->lookahead, &hop_distance_m, &hop_bearing_deg);
    }
    take_point_after_hop(thinning, hop_distance_m, hop_bearing_deg);
}

void take_point_after_hop(Thinning* thinning, double hop_distance_m, double hop_bearing_deg) {
    Thinning& t = *thinning;
    int count = ++t.points_read;
    if (count == 1) {
        t.last_waypoint = t.lookahead;
        return;
    }
    if (count == 2) {
        t.candidate = t.lookahead;
        t.leg_distance_m = hop_distance_m;
        t.leg_bearing_deg = hop_bearing_deg;
        t.last_waypoint.bearing_deg = hop_bearing_deg;
        t.track_length_m += hop_distance_m;
        return;
    }
    if (count > 3 && !t.leg_is_step)
        distance_and_bearing(t.last_waypoint, t.candidate, &t.leg_distance_m, &t.leg_bearing_deg);
    t.step_distance_m = hop_distance_m;
    t.step_bearing_deg = hop_bearing_deg;
    t.candidate.bearing_deg = hop_bearing_deg;
    t.track_length_m += hop_distance_m;
    if (count == 3) hand_waypoint(thinning, &t.last_waypoint);

    t.leg_is_step = waypoint_decision(t.limits, t.leg_distance_m, t.leg_bearing_deg,
                                      t.step_distance_m, t.step_bearing_deg,
                                      t.last_waypoint.bearing_deg) != 0;
    if (t.leg_is_step) {
        hand_waypoint(thinning, &t.candidate);
        t.last_waypoint = t.candidate;
        t.leg_distance_m = t.step_distance_m;
        t.leg_bearing_deg = t.step_bearing_deg;
    }
    // The lookahead slot is free again for the next point.
    t.candidate = t.lookahead;
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
