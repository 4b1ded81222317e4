// TrackPoint: one point of a track as every reader delivers it and as the
// thinning loop moves it between its three slots.
#ifndef CORE_TRACK_POINT_H
#define CORE_TRACK_POINT_H

namespace core {

// Size of the buffer in which a waypoint's route record is formatted.
inline constexpr int point_text_size = 160;

// pi as a double: the one nearest to it, which is below it. Half and a
// quarter of it are exact, and below pi/2 and pi/4.
inline constexpr double pi = 3.141592653589793;

// Degrees to radians, the factor every reader applies to its coordinates.
inline constexpr double radians_per_degree = pi / 180;
static_assert(radians_per_degree == 0.017453292519943295);

struct TrackPoint {
    // The route record of the point once it is written as a waypoint; a
    // reader only zeroes its first and last character.
    char text[point_text_size];
    double lat_deg;  // north positive
    double lon_deg;  // east positive
    double lat_rad;  // lat_deg * radians_per_degree
    double lon_rad;  // lon_deg * radians_per_degree
    // sin and cos of lat_rad, taken once when the point is read rather than
    // in every measurement it takes part in; the values are the same bits.
    double sin_lat;
    double cos_lat;
};

// Copies the coordinates of from into to, and not the text, which the
// thinning loop leaves to the waypoint sink.
inline void copy_position(TrackPoint* to, const TrackPoint& from) {
    to->lat_deg = from.lat_deg;
    to->lon_deg = from.lon_deg;
    to->lat_rad = from.lat_rad;
    to->lon_rad = from.lon_rad;
    to->sin_lat = from.sin_lat;
    to->cos_lat = from.cos_lat;
}

// Fills the coordinates of a point from degrees, with the sine and cosine
// of its latitude, and zeroes the two characters of its text that a reader
// owns. Every reader delivers its points through it.
void set_point_degrees(TrackPoint* point, double lat_deg, double lon_deg);

}  // namespace core

#endif
