// Route thinning: the loop that turns the stream of track points into the
// waypoints of the forward route. The decision it asks of every candidate
// is in core/waypoint_decision.h (exact values) and
// core/bounded_decision.h (from bounds).
#ifndef CORE_THINNING_H
#define CORE_THINNING_H

#include "core/bounded_decision.h"
#include "core/command_line.h"
#include "core/distance.h"
#include "core/point_reader.h"
#include "core/track_point.h"
#include "core/waypoint_decision.h"

namespace core {

struct Thinning;

// Where a thinning hands each waypoint as it is decided, in route order.
// point is the waypoint (its text free for the sink to fill);
// thinning->waypoint_count already counts it, and points_read and
// track_length_m are those of the moment of the decision.
struct WaypointSink {
    void (*take_waypoint)(Thinning* thinning, TrackPoint* point);
    void* context;  // the sink's own, untouched by the thinning
};

// One thinning in progress. It holds three points: the last waypoint, the
// candidate under decision and the lookahead that follows it. A point is
// handed over by putting it in lookahead and calling take_point, so a
// reader can read straight into that slot.
struct Thinning {
    RunSettings limits;  // only the four thresholds are read
    WaypointSink sink;
    TrackPoint last_waypoint;
    TrackPoint candidate;
    TrackPoint lookahead;
    // The hops are held between bounds until a decision needs more.
    HopBounds leg;   // last waypoint to candidate
    HopBounds step;  // candidate to lookahead
    // From the last waypoint to the track point after it: the direction
    // that turns and offsets are measured from.
    BoundedValue reference_bearing_deg;
    DecisionSectors sectors;  // of the thresholds and the reference bearing
    double track_length_m;  // exact
    int points_read;
    int waypoint_count;
    // The last decision made the candidate a waypoint, so the leg to the
    // next candidate is the step just measured.
    bool leg_is_step;
};

// Makes thinning empty, with the thresholds of limits and the sink.
void start_thinning(Thinning* thinning, const RunSettings& limits, WaypointSink sink);

// Takes the point in thinning->lookahead as the next track point. The
// first point becomes the first waypoint once the third has come; from the
// third on, every point decides the candidate before it.
void take_point(Thinning* thinning);

// take_point when the distance and bearing from the track point before to
// this one are already measured (they are the same for every thinning of
// one track).
void take_point_after_hop(Thinning* thinning, double hop_distance_m, double hop_bearing_deg);

// take_point with the hop from the track point before already bounded by
// measure_hop; its values are computed as the thinning needs them.
void take_point_after_bounded_hop(Thinning* thinning, const HopBounds& hop);

// Ends the track: the last point becomes the last waypoint without a
// decision. Returns false, handing nothing more, when fewer than three
// points came.
bool finish_thinning(Thinning* thinning);

// The converter's thinning, written by thin_track; once the track has
// ended its counts and length are the figures of the last progress line.
extern Thinning track_thinning;

// Reads the whole track through read_next_point and writes its waypoints
// to the forward route, printing "Start: " with the first record and a
// progress line per further waypoint. The first and the last track point
// are always waypoints. Ends the run with "Too short input file!" (exit 5)
// when the track has fewer than three points.
void thin_track(PointReader read_next_point);

}  // namespace core

#endif
