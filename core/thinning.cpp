// The thinning loop holds three points: the last waypoint, the candidate
// under decision and the lookahead that follows it.
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

TrackPoint last_waypoint;
TrackPoint candidate;
TrackPoint lookahead;

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

int is_waypoint(double leg_distance_m, double leg_bearing_deg, double step_distance_m,
                double step_bearing_deg, double reference_bearing_deg) {
    if (leg_distance_m < settings.min_distance_m && step_distance_m < settings.min_distance_m)
        return 0;
    if (leg_distance_m > settings.max_distance_m) return 1;
    // The turn compares where the track leaves the candidate with where it
    // left the last waypoint.
    double turn_deg = fold_angle(std::fabs(step_bearing_deg - reference_bearing_deg));
    if (turn_deg > settings.max_angle_deg) return 1;
    // The tangent turns negative past 90 degrees, so a candidate behind the
    // reference direction never fires this test.
    double offset_deg = fold_angle(std::fabs(leg_bearing_deg - reference_bearing_deg));
    return offset_exceeds(leg_distance_m, offset_deg * radians_per_degree, settings.max_orth_error_m);
}

void thin_track(PointReader read_next_point) {
    double leg_distance_m, leg_bearing_deg, step_distance_m, step_bearing_deg;
    double track_length_m = 0.0;
    progress_on_terminal = platform::is_terminal(console);
    last_flush_s = 0.0;

    if (read_next_point(&last_waypoint) != 0) abort_run("Too short input file!\n", exit_too_short);
    if (read_next_point(&candidate) != 0) abort_run("Too short input file!\n", exit_too_short);
    distance_and_bearing(last_waypoint, candidate, &leg_distance_m, &leg_bearing_deg);
    last_waypoint.bearing_deg = leg_bearing_deg;
    track_length_m += leg_distance_m;
    if (read_next_point(&lookahead) != 0) abort_run("Too short input file!\n", exit_too_short);
    distance_and_bearing(candidate, lookahead, &step_distance_m, &step_bearing_deg);
    candidate.bearing_deg = step_bearing_deg;
    track_length_m += step_distance_m;

    int points_read = 3;
    write_waypoint(&last_waypoint);
    int waypoints_written = 1;
    print_text("Start: ");
    print_text(last_waypoint.text);

    for (;;) {
        if (is_waypoint(leg_distance_m, leg_bearing_deg, step_distance_m, step_bearing_deg,
                        last_waypoint.bearing_deg)) {
            write_waypoint(&candidate);
            ++waypoints_written;
            print_progress(points_read, waypoints_written, track_length_m);
            last_waypoint = candidate;
            candidate = lookahead;
            // The new leg is the old step.
            leg_distance_m = step_distance_m;
            leg_bearing_deg = step_bearing_deg;
            if (read_next_point(&lookahead) != 0) break;
        } else {
            candidate = lookahead;
            if (read_next_point(&lookahead) != 0) break;
            distance_and_bearing(last_waypoint, candidate, &leg_distance_m, &leg_bearing_deg);
        }
        ++points_read;
        distance_and_bearing(candidate, lookahead, &step_distance_m, &step_bearing_deg);
        candidate.bearing_deg = step_bearing_deg;
        track_length_m += step_distance_m;
    }

    // The last track point ends the route without a decision.
    write_waypoint(&candidate);
    ++waypoints_written;
    print_progress(points_read, waypoints_written, track_length_m);
    print_text("\r\n");
    if (progress_on_terminal) std::fflush(console);
}

}  // namespace core
