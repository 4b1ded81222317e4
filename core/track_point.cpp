// Filling a point's coordinates.
#include "core/track_point.h"

#include <cmath>

namespace core {

void set_point_degrees(TrackPoint* point, double lat_deg, double lon_deg) {
    point->text[0] = 0;
    point->text[point_text_size - 1] = 0;
    point->lat_deg = lat_deg;
    point->lon_deg = lon_deg;
    point->lat_rad = lat_deg * radians_per_degree;
    point->lon_rad = lon_deg * radians_per_degree;
    point->sin_lat = std::sin(point->lat_rad);
    point->cos_lat = std::cos(point->lat_rad);
}

}  // namespace core
