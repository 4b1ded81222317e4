// Filling a point's coordinates.
#include "core/track_point.h"

#include <cmath>

#include "core/cr_math.h"

namespace core {

void set_point_degrees(TrackPoint* point, double lat_deg, double lon_deg) {
    point->text[0] = 0;
    point->text[point_text_size - 1] = 0;
    point->lat_deg = lat_deg;
    point->lon_deg = lon_deg;
    point->lat_rad = lat_deg * radians_per_degree;
    point->lon_rad = lon_deg * radians_per_degree;
    cr_sin_cos(point->lat_rad, &point->sin_lat, &point->cos_lat);
}

}  // namespace core
