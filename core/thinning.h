// Route thinning: the loop that turns the stream of track points into the
// waypoints of the forward route, and the decision behind it.
#ifndef CORE_THINNING_H
#define CORE_THINNING_H

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
// under the four thresholds in settings. Every comparison is strict.
int is_waypoint(double leg_distance_m, double leg_bearing_deg, double step_distance_m,
                double step_bearing_deg, double reference_bearing_deg);

// Reads the whole track through read_next_point and writes its waypoints
// to the forward route, printing "Start: " with the first record and a
// progress line per further waypoint. The first and the last track point
// are always waypoints. Ends the run with "Too short input file!" (exit 5)
// when the track has fewer than three points.
void thin_track(PointReader read_next_point);

}  // namespace core

#endif
