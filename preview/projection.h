// Where the picture puts a point: longitudes made continuous across the
// 180th meridian, the track's extent, and a local equirectangular
// projection with north up that fits the extent into the map.
#ifndef PREVIEW_PROJECTION_H
#define PREVIEW_PROJECTION_H

#include "core/track_point.h"

namespace preview {

// Longitudes made continuous across the 180th meridian: each one is moved
// by whole turns to lie within half a turn of the one before.
struct LongitudeUnwrap {
    bool started;
    double previous_deg;   // as read
    double unwrapped_deg;  // as drawn
};

double unwrap_longitude(LongitudeUnwrap* unwrap, double lon_deg);

// A longitude difference moved by whole turns into -180 .. 180; readers
// keep longitudes within +-370, so a few turns at most.
double within_half_turn(double step_deg);

// The extent of the track in latitude and unwrapped longitude, gathered
// point by point in the survey pass.
struct TrackExtent {
    int points;
    double lat_min_deg, lat_max_deg;
    double lon_min_deg, lon_max_deg;
    LongitudeUnwrap unwrap;
};

void start_extent(TrackExtent* extent);
void extend(TrackExtent* extent, const core::TrackPoint& point);

// The map is fitted into this many pixels, with a margin around it and the
// caption below.
inline constexpr double map_max_width = 960.0;
inline constexpr double map_max_height = 720.0;
inline constexpr double map_min_width = 480.0;
inline constexpr double map_min_height = 240.0;
inline constexpr double margin = 20.0;
inline constexpr double caption_line = 18.0;
inline constexpr int caption_lines = 6;
// The scale bar sits this far below the map, clear of markers and labels
// at its lower edge.
inline constexpr double scale_bar_gap = 26.0;

// The picture's geometry: x = left + (lon - lon_min) * x_scale,
// y = top + (lat_max - lat) * y_scale, with the longitude unwrapped.
struct Projection {
    double lon_min_deg, lat_max_deg;
    double x_scale, y_scale;  // pixels per degree
    double left, top;
    double pixels_per_meter;
    double map_width, map_height;
    double width, height;  // the whole picture's
};

// The projection that fits the extent into the map, centred, with the
// longitude scale of its middle latitude.
Projection fit_extent(const TrackExtent& extent);

inline double pixel_x(const Projection& p, double unwrapped_lon_deg) {
    return p.left + (unwrapped_lon_deg - p.lon_min_deg) * p.x_scale;
}

inline double pixel_y(const Projection& p, double lat_deg) { return p.top + (p.lat_max_deg - lat_deg) * p.y_scale; }

}  // namespace preview

#endif
