// The largest deviation of a route from its track, measured point by point
// in a pass over the track. A point's leg is known only once the waypoint
// after it is decided, so the survey pass writes each route's waypoints to
// a file, and the measuring pass reads them back in step with the track,
// one waypoint ahead: memory stays the same for any length of track.
#ifndef PREVIEW_ROUTE_METER_H
#define PREVIEW_ROUTE_METER_H

#include <cstdio>

#include "core/track_point.h"
#include "preview/leg_distance.h"

namespace preview {

// One waypoint in a route file: its track point number (from 1) and its
// latitude and longitude in degrees, 4 + 8 + 8 bytes in the machine's own
// order; only the process that wrote the file reads it.
inline constexpr int waypoint_record_size = 20;

struct WaypointRecord {
    int index;
    double lat_deg, lon_deg;
};

// Appends the waypoint that is track point number index; false when the
// write failed.
bool write_waypoint_record(std::FILE* file, int index, const core::TrackPoint& point);

// One route being measured.
struct RouteMeter {
    std::FILE* file;  // the route's waypoints, read from its start
    int points;       // track points measured so far
    // The leg the next track points lie on, from waypoint number
    // leg_number (start) to the next (end).
    WaypointRecord start, end;
    int leg_number;
    Leg leg;
    bool route_ended;  // the last waypoint has come
    // False from the first waypoint that is not the track point its
    // record names: the track changed since the route was written.
    bool consistent;
    // The worst point so far; ties go to the first. A waypoint lies on
    // its legs, at distance 0, and counts with the leg that ends there.
    double worst_key;
    int worst_point;
    int worst_leg;
    double worst_rad;
    double worst_lat_deg, worst_lon_deg;  // as read
};

// Starts measuring the route whose waypoints the file holds from its
// current position.
void start_meter(RouteMeter* meter, std::FILE* file);

// Measures the next track point, whose unit vector is position. True when
// it is the route's worst point so far.
bool measure_point(RouteMeter* meter, const core::TrackPoint& point, const UnitVector& position);

// After the last track point: true when every waypoint of the route was
// the track point its record names and the route ended with the track.
bool finish_meter(const RouteMeter& meter);

double largest_deviation_m(const RouteMeter& meter);

}  // namespace preview

#endif
