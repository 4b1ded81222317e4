// Great-circle distance and initial bearing on a spherical Earth.
#ifndef CORE_DISTANCE_H
#define CORE_DISTANCE_H

#include "core/track_point.h"

namespace core {

inline constexpr double earth_radius_m = 6371032.0;
inline constexpr double degrees_per_radian = 180 / pi;
static_assert(degrees_per_radian == 57.29577951308232);
// Below this longitude difference (radians) a hop runs along a meridian.
inline constexpr double meridian_threshold_rad = 1e-6;

// Measures the hop from p to q from their lon_rad and the sine and cosine
// of their latitudes, as set_point_degrees fills them: the
// great-circle distance in metres (finite, never negative) into
// *distance_m and the initial bearing in degrees from north, clockwise
// positive, from -180 to 180, into *bearing_deg. Both are always written,
// finite for every finite input.
void distance_and_bearing(const TrackPoint& p, const TrackPoint& q, double* distance_m,
                          double* bearing_deg);

// A distance or a bearing of distance_and_bearing held between two bounds
// until a comparison needs more: its arc cosine is estimated, and computed
// only on demand.
struct BoundedValue {
    double lo;  // lo <= value <= hi; lo == hi once the value is known
    double hi;
    // The value is cr_acos(acos_argument) * scale; the scale is negative
    // for a bearing to the west.
    double acos_argument;
    double scale;
};

// A value that is known.
inline BoundedValue known_value(double value) { return {value, value, 1.0, 0.0}; }

// A value whose bounds are still to be taken: lo is -infinity, and
// ensure_bounds takes them from its arc cosine's argument.
inline bool bounds_pending(const BoundedValue& value) { return value.lo < -1e300; }

// Takes the bounds of a value whose bounds are pending (compute_bounds)
// and leaves any other as it is.
void compute_bounds(BoundedValue* value);
inline void ensure_bounds(BoundedValue* value) {
    if (bounds_pending(*value)) compute_bounds(value);
}

// The value itself, computed (by compute_exact_value) and kept the first
// time it is asked for; lo == hi from then on.
double compute_exact_value(BoundedValue* value);
inline double exact_value(BoundedValue* value) {
    return value->lo == value->hi ? value->lo : compute_exact_value(value);
}

struct HopBounds {
    BoundedValue distance_m;
    BoundedValue bearing_deg;
};

// The hop of distance_and_bearing with bounds on its two results in place
// of their arc cosines; exact_value gives distance_and_bearing's bits.
void measure_hop(const TrackPoint& p, const TrackPoint& q, HopBounds* hop);

// measure_hop, with the bounds of the bearing left pending (for a bearing
// that a comparison may not need).
void measure_step(const TrackPoint& p, const TrackPoint& q, HopBounds* hop);

// measure_hop from p to q with the bounds of both values left pending, and
// measure_step from q to r, at once, the two interleaved.
void measure_hops(const TrackPoint& p, const TrackPoint& q, const TrackPoint& r, HopBounds* pq,
                  HopBounds* qr);

}  // namespace core

#endif
