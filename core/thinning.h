// Route thinning: the loop that turns the stream of track points into the
// waypoints of the forward route, and the decision behind it.
#ifndef CORE_THINNING_H
#define CORE_THINNING_H

#include "core/command_line.h"
#include "core/distance.h"
#include "core/entry.h"
#include "core/track_point.h"

namespace core {

// A format's single-record parser: 0 when a point was read into *point,
// negative at the end of the input, positive when the record gave no point
// and the next one should be tried.
using RecordParser = int (*)(TrackPoint* point);

// Calls parser with point until it returns 0 or a negative value, and
// returns that value: the shared read_next_point of the line and tag
// readers.
int read_next_point(RecordParser parser, TrackPoint* point);

// Returns 360 - difference when the absolute bearing difference is above
// 180, else the difference itself: the angle between two bearings.
double fold_angle(double difference_deg);

// Whether leg_m * tan(angle_rad) > limit_m, with the correctly rounded
// tangent: 1 or 0. Where bounds on the tangent already decide the
// comparison the tangent itself is not computed; the answer is the same.
int offset_exceeds(double leg_m, double angle_rad, double limit_m);

// Decides whether the candidate becomes a waypoint (1) or is dropped (0)
// under the four thresholds of limits. Every comparison is strict.
int waypoint_decision(const RunSettings& limits, double leg_distance_m, double leg_bearing_deg,
                      double step_distance_m, double step_bearing_deg,
                      double reference_bearing_deg);

// waypoint_decision under the process-wide settings.
int is_waypoint(double leg_distance_m, double leg_bearing_deg, double step_distance_m,
                double step_bearing_deg, double reference_bearing_deg);

// waypoint_decision of the exact values of the five, decided from their
// bounds wherever these leave no doubt; a value is computed (and kept)
// only for a comparison they do not decide, and pending bounds are taken
// only where a comparison needs them. Where leg_is_reference is set, the
// leg's bearing is the reference bearing itself. windows, if not nullptr,
// belong to these limits and this reference (emptied whenever it
// changes), and let comparisons of pending values go without bounds.
struct DecisionWindows;
int bounded_waypoint_decision(const RunSettings& limits, BoundedValue* leg_distance_m,
                              BoundedValue* leg_bearing_deg, BoundedValue* step_distance_m,
                              BoundedValue* step_bearing_deg, BoundedValue* reference_bearing_deg,
                              bool leg_is_reference, DecisionWindows* windows);

// For one reference bearing, per side (east, west) of a bearing: an
// interval of the argument x of its arc cosine within which the bearing
// is certainly near enough the reference, so that a bearing with x inside
// needs no bounds at all. Worked out the first time a bearing on that
// side asks, and checked then with the bounds of acos_bounds at both
// ends; forgotten when the reference changes.
struct BearingWindow {
    signed char state[2];  // 0 not worked out, 1 the interval holds, -1 none
    double x_lo[2];
    double x_hi[2];
};

// What a thinning works out once, or once per reference bearing, for its
// thresholds.
struct DecisionWindows {
    BearingWindow turn;    // step bearings that turn by no more than the maximal angle
    BearingWindow offset;  // leg bearings whose offset, for a leg not above the
                           // maximal distance, is not above the maximal orthogonal error
    // The half widths of the two, in degrees, with their cosines and sines;
    // worked out once.
    bool widths_known;
    double width_deg[2];
    double width_cos[2];
    double width_sin[2];
    // From this distance argument (the cosine of the central angle) up, a
    // leg is not above the maximal distance; worked out once.
    signed char near_state;  // as in BearingWindow
    double near_cosine;
};

// How often a comparison was too close for the bounds and needed exact
// values, since the process started.
struct ExactPathCounts {
    long long step_below_minimum;  // step distance vs the minimal distance
    long long leg_below_minimum;   // leg distance vs the minimal distance
    long long leg_above_maximum;   // leg distance vs the maximal distance
    long long turn;                // turn vs the maximal angle
    long long offset;              // offset vs the maximal orthogonal error
    long long track_length;        // the hop added to the track length
};
extern ExactPathCounts exact_path_counts;

struct Thinning;

// Where a thinning hands each waypoint as it is decided, in route order.
// point is the waypoint (its text free for the sink to fill);
// thinning->waypoints_written already counts it, and points_read and
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
    DecisionWindows windows;  // of the thresholds and the reference bearing
    double track_length_m;  // exact
    int points_read;
    int waypoints_written;
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
