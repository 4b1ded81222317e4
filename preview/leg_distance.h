// How far a track point lies from a leg of its route: the great-circle arc
// between two consecutive waypoints on the Earth's sphere. Positions are
// unit vectors, and every angle is taken from a chord or from a component
// well away from 1, so that a distance of a few centimetres is as exact as
// one of a few kilometres. Only the core's correctly rounded functions,
// sqrt and + - * / are used, so every system gives the same bits.
#ifndef PREVIEW_LEG_DISTANCE_H
#define PREVIEW_LEG_DISTANCE_H

#include "core/track_point.h"

namespace preview {

struct UnitVector {
    double x, y, z;
};

// The point's position on the unit sphere, from the sine and cosine of
// its latitude (as the reader filled them) and its longitude in radians.
UnitVector unit_vector(const core::TrackPoint& point);

// The angle between two unit vectors in radians, from 0 to pi.
double central_angle_rad(const UnitVector& u, const UnitVector& v);

// A leg, prepared once for all the track points that lie on it.
struct Leg {
    UnitVector start, end;
    // The unit normal of the leg's great circle, start to end turning
    // anticlockwise about it; meaningless without a direction.
    UnitVector normal;
    // The tangents at start and at end, both pointing from start towards
    // end: a point whose foot on the great circle lies within the leg is
    // not behind the first nor ahead of the second.
    UnitVector start_tangent, end_tangent;
    // False when the ends coincide (or lie opposite each other), so that
    // no great circle runs through them alone.
    bool has_direction;
};

void start_leg(Leg* leg, const UnitVector& start, const UnitVector& end);

// Which part of the leg is nearest to a point: the arc itself, where the
// point's foot on the great circle lies within the leg, or one end.
enum class LegPart { arc, start, end };

// A number that orders points by their distance to the leg as the
// distances themselves do (the squared chord of that distance), cheap
// enough to take for every point of every route; and the part that is
// nearest.
double deviation_key(const Leg& leg, const UnitVector& point, LegPart* nearest);

// The distance from the point to the leg in radians: the cross-track
// angle to the arc, or the angle to the nearer end; with the same part as
// deviation_key finds.
double deviation_rad(const Leg& leg, const UnitVector& point);

// How far along the leg, from 0 at start to 1 at end, its point nearest to
// the given one lies.
double nearest_fraction(const Leg& leg, const UnitVector& point);

}  // namespace preview

#endif
