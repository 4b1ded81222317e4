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
// The pictures --size takes, in pixels each way.
inline constexpr int smallest_picture_width = 200;
inline constexpr int smallest_picture_height = 300;
inline constexpr int largest_picture_side = 4096;

// The caption's lines: the name, thresholds, counts and deviation, the
// markers' and the numbers' lines where needed and the fit's note; a view
// adds a line about its window.
inline constexpr int caption_lines = 7;
inline constexpr int view_caption_lines = 8;
// The scale bar sits this far below the map, clear of markers and labels
// at its lower edge.
inline constexpr double scale_bar_gap = 26.0;

// A window of the map in degrees; it crosses the 180th meridian when west
// is greater than east.
struct Window {
    double south_deg, west_deg, north_deg, east_deg;
};

// The picture's geometry: x = left + (lon - lon_min) * x_scale,
// y = top + (lat_max - lat) * y_scale, with the longitude unwrapped.
struct Projection {
    double lon_min_deg, lat_max_deg;
    double x_scale, y_scale;  // pixels per degree
    double left, top;
    double pixels_per_meter;
    double map_width, map_height;
    double width, height;  // the whole picture's
    int caption_lines;
    // A view draws only its window: longitudes are taken within half a
    // turn of its middle, and only points in it are drawn.
    bool view;
    double centre_lon_deg;
    double half_width_deg;
    double south_deg, north_deg;
    double west_deg, east_deg;  // as given, where the window is not widened
    bool widened_east_west;
};

// The projection that fits the extent into the map, centred, with the
// longitude scale of its middle latitude. The picture is width_px x
// height_px, or with both 0 as large as the extent needs up to
// map_max_width x map_max_height for the map.
Projection fit_extent(const TrackExtent& extent, int width_px, int height_px);

// The projection of a view: the track's, with the window fitted into the
// map about its middle and widened to fill it; the picture's size as
// above.
Projection fit_window(const Window& window, const TrackExtent& extent, int width_px, int height_px);

// The map's window in degrees, each longitude within -180 .. 180.
Window drawn_window(const Projection& p);

// The longitude to give pixel_x: for a view, moved by whole turns to lie
// within half a turn of the window's middle.
double view_longitude(const Projection& p, double lon_deg);

// Whether a point lies in the view's window (its edges included).
bool in_window(const Projection& p, double lat_deg, double lon_deg);

inline double pixel_x(const Projection& p, double unwrapped_lon_deg) {
    return p.left + (unwrapped_lon_deg - p.lon_min_deg) * p.x_scale;
}

inline double pixel_y(const Projection& p, double lat_deg) { return p.top + (p.lat_max_deg - lat_deg) * p.y_scale; }

}  // namespace preview

#endif
