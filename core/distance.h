// Great-circle distance and initial bearing on a spherical Earth.
#ifndef CORE_DISTANCE_H
#define CORE_DISTANCE_H

#include "core/track_point.h"

namespace core {

inline constexpr double earth_radius_m = 6371032.0;
inline constexpr double degrees_per_radian = 57.29577951308232;
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

}  // namespace core

#endif
