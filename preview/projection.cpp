#include "preview/projection.h"

#include <cmath>

#include "core/cr_math.h"
#include "core/distance.h"

namespace preview {

namespace {

// A track shorter than this is drawn as if it spanned it, so that a few
// metres of jitter do not fill the picture.
constexpr double smallest_span_m = 100.0;
constexpr double meters_per_degree = core::earth_radius_m * core::radians_per_degree;
// The longitude scale is never taken below this, so that a track at a pole
// still has a width.
constexpr double smallest_longitude_scale = 0.01;

}  // namespace

double within_half_turn(double step_deg) {
    for (int turn = 0; turn < 4 && step_deg > 180.0; ++turn) step_deg -= 360.0;
    for (int turn = 0; turn < 4 && step_deg < -180.0; ++turn) step_deg += 360.0;
    return step_deg;
}

double unwrap_longitude(LongitudeUnwrap* unwrap, double lon_deg) {
    if (!unwrap->started) {
        unwrap->started = true;
        unwrap->unwrapped_deg = lon_deg;
    } else {
        double step = within_half_turn(lon_deg - unwrap->previous_deg);
        if (std::isfinite(step)) unwrap->unwrapped_deg += step;
    }
    unwrap->previous_deg = lon_deg;
    return unwrap->unwrapped_deg;
}

void start_extent(TrackExtent* extent) { *extent = TrackExtent{}; }

void extend(TrackExtent* extent, const core::TrackPoint& point) {
    double lon = unwrap_longitude(&extent->unwrap, point.lon_deg);
    if (!std::isfinite(lon) || !std::isfinite(point.lat_deg)) return;
    if (extent->points == 0) {
        extent->lat_min_deg = extent->lat_max_deg = point.lat_deg;
        extent->lon_min_deg = extent->lon_max_deg = lon;
    }
    ++extent->points;
    if (point.lat_deg < extent->lat_min_deg) extent->lat_min_deg = point.lat_deg;
    if (point.lat_deg > extent->lat_max_deg) extent->lat_max_deg = point.lat_deg;
    if (lon < extent->lon_min_deg) extent->lon_min_deg = lon;
    if (lon > extent->lon_max_deg) extent->lon_max_deg = lon;
}

Projection fit_extent(const TrackExtent& extent) {
    Projection p = {};
    double middle_lat_deg = (extent.lat_min_deg + extent.lat_max_deg) / 2;
    double longitude_scale = core::cr_cos(middle_lat_deg * core::radians_per_degree);
    if (!(longitude_scale >= smallest_longitude_scale)) longitude_scale = smallest_longitude_scale;
    double width_m = (extent.lon_max_deg - extent.lon_min_deg) * meters_per_degree * longitude_scale;
    double height_m = (extent.lat_max_deg - extent.lat_min_deg) * meters_per_degree;
    double scale = map_max_height / smallest_span_m;
    if (width_m > 0 && map_max_width / width_m < scale) scale = map_max_width / width_m;
    if (height_m > 0 && map_max_height / height_m < scale) scale = map_max_height / height_m;
    p.pixels_per_meter = scale;
    p.x_scale = meters_per_degree * longitude_scale * scale;
    p.y_scale = meters_per_degree * scale;
    p.map_width = std::fmax(width_m * scale, map_min_width);
    p.map_height = std::fmax(height_m * scale, map_min_height);
    p.width = std::ceil(p.map_width + 2 * margin);
    p.height = std::ceil(p.map_height + 2 * margin + scale_bar_gap + caption_lines * caption_line);
    // The track is centred in the map.
    p.left = margin + (p.map_width - width_m * scale) / 2;
    p.top = margin + (p.map_height - height_m * scale) / 2;
    p.lon_min_deg = extent.lon_min_deg;
    p.lat_max_deg = extent.lat_max_deg;
    return p;
}

}  // namespace preview
