// The closest route: waypoints chosen among the track points so that every
// track point lies within a distance of its leg, measured as the route
// meter measures it, with few waypoints. It reads the track once, in
// constant memory.
//
// From each waypoint the leg is stretched along the track while a wedge of
// directions stays open: those whose great circle passes within the
// distance of every track point since the waypoint. A point whose
// direction lies in the wedge, and that lies no nearer the waypoint than
// the points before it by more than the distance, may end the leg. When
// the wedge closes, the farthest few points whose leg passes the meter's
// own test for every point it covers are the candidates for the next
// waypoint; the one from which the next leg reaches farthest is taken (of
// equal reach, the farther), and the next leg starts there with the
// points after it. The wedge bounds the distance to the whole great
// circle, so a point behind the start or ahead of the end is caught by
// that test. A leg holds at most most_leg_points track points, which
// keeps the memory fixed.
#ifndef PREVIEW_CLOSEST_ROUTE_H
#define PREVIEW_CLOSEST_ROUTE_H

#include <cstdint>

#include "core/track_point.h"
#include "preview/leg_distance.h"

namespace preview {

// The track points one leg and the look past its end can hold: a longer
// run of points within the distance of one great circle gets a waypoint
// every so many points.
inline constexpr int most_leg_points = 16384;

// The candidates for a leg's end whose next legs are compared.
inline constexpr int most_candidates = 8;

// A track point kept while its leg is open.
struct LegPoint {
    double lat_deg, lon_deg;
    UnitVector position;
};

// The storage of one closest route's open leg: the points, and for each
// a bit per candidate (and one for the leg itself) that says its
// direction lay in that leg's wedge.
struct LegStore {
    LegPoint points[most_leg_points];
    uint16_t in_wedge[most_leg_points];
};

// A leg stretched from a point along the points after it.
struct Stretch {
    int from;  // the store offset of its start; -1 for the last waypoint
    UnitVector start, across, along;  // the start and two tangents there
    int examined;                     // the store offsets looked at: up to this one
    bool closed;                      // no later point can end it
    bool wedge_full;                  // no point bounds the wedge yet
    double farthest;                  // the sine of the farthest point's distance from the start
    double right_x, right_y, left_x, left_y;  // the wedge, right to left anticlockwise
};

struct ClosestRoute;

// Where a closest route hands each waypoint, in route order: index is
// its track point's number from 1.
struct ClosestSink {
    void (*take_waypoint)(ClosestRoute* route, int index, const core::TrackPoint& waypoint);
    void* context;  // the sink's own
};

struct ClosestRoute {
    double within_m;
    ClosestSink sink;
    LegStore* store;
    int points_read;
    int waypoint_count;
    int start_index;  // the last waypoint's track point number
    // The points after the last waypoint: store slots first to first +
    // count - 1 (modulo most_leg_points), at offsets 0 to count - 1.
    int first, count;
    Stretch leg;
    // Once the leg has closed: its candidate ends, each with the next leg
    // from it.
    int candidate_count;
    Stretch next_legs[most_candidates];
    bool track_ended;
    // sin of the distance as an angle, and the squared chord of that
    // angle with a margin below and above it: keys between the two are
    // settled by the exact distance.
    double sin_within, key_surely_within, key_surely_beyond;
};

// Makes route empty, for the distance within_m (positive, finite) and the
// sink, with store as its leg's storage.
void start_closest_route(ClosestRoute* route, double within_m, ClosestSink sink, LegStore* store);

// Takes the next track point, whose unit vector is position. The first
// point is the first waypoint at once; others are handed when the legs
// after them are known.
void take_closest_point(ClosestRoute* route, const core::TrackPoint& point, const UnitVector& position);

// Ends the track: the remaining waypoints are handed, the last of them the
// last track point. Needs at least two points.
void finish_closest_route(ClosestRoute* route);

// Whether a track point lies within the route's distance of a leg, as the
// route meter measures it: the test every leg passes.
bool within_leg(const ClosestRoute& route, const Leg& leg, const UnitVector& point);

}  // namespace preview

#endif
