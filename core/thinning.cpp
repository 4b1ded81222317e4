// The thinning of a track into waypoints, point by point, and the
// converters' loop around it.
#include "core/thinning.h"

#include <cstdio>

#include "core/command_line.h"
#include "core/console.h"
#include "core/distance.h"
#include "core/number_writer.h"
#include "core/platform.h"
#include "core/route_writer.h"
#include "core/run_slots.h"

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
void print_progress(int points_read, int waypoint_count, double track_length_m) {
    char line[fixed_text_size + 64];
    int length = 0;
    line[length++] = '\r';
    length += format_integer(line + length, points_read, 6, false);
    line[length++] = ' ';
    length += format_integer(line + length, waypoint_count, 6, false);
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

void start_thinning(Thinning* thinning, const RunSettings& limits, WaypointSink sink) {
    thinning->limits = limits;
    thinning->sink = sink;
    thinning->leg = HopBounds{known_value(0.0), known_value(0.0)};
    thinning->step = thinning->leg;
    thinning->reference_bearing_deg = known_value(0.0);
    thinning->sectors = DecisionSectors{};
    thinning->track_length_m = 0.0;
    thinning->points_read = 0;
    thinning->waypoint_count = 0;
    thinning->leg_is_step = false;
}

namespace {

void hand_waypoint(Thinning* thinning, TrackPoint* point) {
    ++thinning->waypoint_count;
    thinning->sink.take_waypoint(thinning, point);
}

// Adds the hop to the track length: where the sums with its two bounds
// round to the same double, so does the sum with the hop itself, as
// rounding is monotonic.
void add_to_track_length(Thinning* thinning, BoundedValue* hop_m) {
    double sum = thinning->track_length_m + hop_m->lo;
    if (sum != thinning->track_length_m + hop_m->hi) {
        count_exact_path(&exact_path_counts.track_length);
        sum = thinning->track_length_m + exact_value(hop_m);
    }
    thinning->track_length_m = sum;
}

// A new reference bearing: the bearing sectors of the old one no longer
// hold.
void set_reference(Thinning* thinning, const BoundedValue& bearing_deg) {
    thinning->reference_bearing_deg = bearing_deg;
    thinning->sectors.turn = BearingSector{};
    thinning->sectors.offset = BearingSector{};
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
                                              &t.sectors) != 0;
    if (t.leg_is_step) {
        hand_waypoint(thinning, &t.candidate);
        copy_position(&t.last_waypoint, t.candidate);
        ensure_bounds(&t.step.bearing_deg);
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
    if (thinning->waypoint_count == 1) {
        print_text("Start: ");
        print_text(point->text);
        return;
    }
    print_progress(thinning->points_read, thinning->waypoint_count, thinning->track_length_m);
}

}  // namespace

void thin_track(PointReader read_next_point) {
    progress_on_terminal = platform::is_terminal(console);
    last_flush_s = 0.0;
    start_thinning(&track_thinning, settings, WaypointSink{write_to_route, nullptr});
    while (read_next_point(&track_thinning.lookahead) == 0) take_point(&track_thinning);
    if (!finish_thinning(&track_thinning)) abort_run(too_short_input);
    print_text("\r\n");
    if (progress_on_terminal) std::fflush(console);
}

}  // namespace core
