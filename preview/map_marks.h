// What the picture draws on the map besides its lines: the waypoints'
// markers, the start and end, the mark of the route's worst point, and
// the scale bar and north arrow below the map.
#ifndef PREVIEW_MAP_MARKS_H
#define PREVIEW_MAP_MARKS_H

#include "preview/projection.h"

namespace preview {

// A waypoint's marker, where it is drawn, with its number in the route
// and its coordinates as read.
struct Marker {
    float x, y;
    int number;
    double lat_deg, lon_deg;
};

// The worst point's mark, in pixels.
struct DeviationMark {
    bool set;
    double x, y;            // the point
    double foot_x, foot_y;  // the nearest point of its leg
    int point_number;
    double deviation_m;
};

// A marker: a circle with the route record's name and coordinates as its
// title.
void put_marker(const Marker& marker);

// A label's place: its text starts at x on the baseline y.
struct Placed {
    double x, y;
};

// Start: a green triangle; end: a dark red square; each with its label,
// where drawn.
struct EndMark {
    bool drawn;
    double x, y;
    Placed label;
};
void put_start_and_end(const EndMark& start, const EndMark& end);

// The mark of the worst point: a line to its leg, a ring with its title,
// and the distance beside it.
void put_deviation_mark(const DeviationMark& mark, Placed label);

// The scale bar at the bottom left of the map, a quarter of its width or
// less, and the north arrow below the map's right corner, clear of the
// track. Returns the scale bar's baseline.
double put_scale_and_north(const Projection& p);

}  // namespace preview

#endif
