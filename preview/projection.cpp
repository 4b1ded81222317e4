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

// A window narrower than this is drawn as if it spanned it.
constexpr double smallest_view_span_m = 10.0;

double longitude_scale_of(const TrackExtent& extent) {
    double middle_lat_deg = (extent.lat_min_deg + extent.lat_max_deg) / 2;
    double longitude_scale = core::cr_cos(middle_lat_deg * core::radians_per_degree);
    if (!(longitude_scale >= smallest_longitude_scale)) longitude_scale = smallest_longitude_scale;
    return longitude_scale;
}

// A longitude within -180 .. 180.
double normal_longitude(double lon_deg) {
    double lon = std::fmod(lon_deg, 360.0);
    if (lon > 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    return lon;
}

// The half span the map shows: the window's, or the map's where that is
// larger by more than rounding.
double widened(double window_half, double map_half) {
    return map_half > window_half * (1 + 1e-9) ? map_half : window_half;
}

// The scale that fits width_m x height_m into the map, at least
// smallest_m each way, and the map's and the picture's size: given, or
// as large as the span needs within the largest map.
void fit(Projection* p, double width_m, double height_m, double smallest_m, double longitude_scale, int width_px,
         int height_px) {
    double overhead_height = 2 * margin + scale_bar_gap + p->caption_lines * caption_line;
    bool sized = width_px > 0;
    double most_width = sized ? width_px - 2 * margin : map_max_width;
    double most_height = sized ? height_px - overhead_height : map_max_height;
    double scale = most_height / smallest_m;
    if (width_m > 0 && most_width / width_m < scale) scale = most_width / width_m;
    if (height_m > 0 && most_height / height_m < scale) scale = most_height / height_m;
    p->pixels_per_meter = scale;
    p->x_scale = meters_per_degree * longitude_scale * scale;
    p->y_scale = meters_per_degree * scale;
    p->map_width = sized ? most_width : std::fmax(width_m * scale, map_min_width);
    p->map_height = sized ? most_height : std::fmax(height_m * scale, map_min_height);
    p->width = sized ? width_px : std::ceil(p->map_width + 2 * margin);
    p->height = sized ? height_px : std::ceil(p->map_height + overhead_height);
}

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

Projection fit_extent(const TrackExtent& extent, int width_px, int height_px) {
    Projection p = {};
    double longitude_scale = longitude_scale_of(extent);
    double width_m = (extent.lon_max_deg - extent.lon_min_deg) * meters_per_degree * longitude_scale;
    double height_m = (extent.lat_max_deg - extent.lat_min_deg) * meters_per_degree;
    p.caption_lines = caption_lines;
    fit(&p, width_m, height_m, smallest_span_m, longitude_scale, width_px, height_px);
    // The track is centred in the map.
    p.left = margin + (p.map_width - width_m * p.pixels_per_meter) / 2;
    p.top = margin + (p.map_height - height_m * p.pixels_per_meter) / 2;
    p.lon_min_deg = extent.lon_min_deg;
    p.lat_max_deg = extent.lat_max_deg;
    return p;
}

Projection fit_window(const Window& window, const TrackExtent& extent, int width_px, int height_px) {
    Projection p = {};
    double longitude_scale = longitude_scale_of(extent);
    double west = normal_longitude(window.west_deg), east = normal_longitude(window.east_deg);
    double width_deg = east >= west ? east - west : east - west + 360.0;
    double width_m = width_deg * meters_per_degree * longitude_scale;
    double height_m = (window.north_deg - window.south_deg) * meters_per_degree;
    p.caption_lines = view_caption_lines;
    fit(&p, width_m, height_m, smallest_view_span_m, longitude_scale, width_px, height_px);
    p.view = true;
    p.centre_lon_deg = normal_longitude(west + width_deg / 2);
    // Widened where the map is wider or taller than the window; the
    // window's own edges where it is not, as given.
    p.half_width_deg = widened(width_deg / 2, p.map_width / 2 / p.x_scale);
    p.widened_east_west = p.half_width_deg > width_deg / 2;
    p.west_deg = west;
    p.east_deg = east;
    double half_height_deg = widened((window.north_deg - window.south_deg) / 2, p.map_height / 2 / p.y_scale);
    p.south_deg = window.south_deg;
    p.north_deg = window.north_deg;
    if (half_height_deg > (window.north_deg - window.south_deg) / 2) {
        double middle_lat_deg = (window.south_deg + window.north_deg) / 2;
        p.south_deg = middle_lat_deg - half_height_deg;
        p.north_deg = middle_lat_deg + half_height_deg;
    }
    p.left = margin;
    p.top = margin;
    p.lon_min_deg = p.centre_lon_deg - p.half_width_deg;
    p.lat_max_deg = p.north_deg;
    return p;
}

Window drawn_window(const Projection& p) {
    if (!p.widened_east_west) return {p.south_deg, p.west_deg, p.north_deg, p.east_deg};
    return {p.south_deg, normal_longitude(p.centre_lon_deg - p.half_width_deg), p.north_deg,
            normal_longitude(p.centre_lon_deg + p.half_width_deg)};
}

double view_longitude(const Projection& p, double lon_deg) {
    return p.centre_lon_deg + within_half_turn(lon_deg - p.centre_lon_deg);
}

bool in_window(const Projection& p, double lat_deg, double lon_deg) {
    double from_centre = within_half_turn(lon_deg - p.centre_lon_deg);
    return lat_deg >= p.south_deg && lat_deg <= p.north_deg && from_centre >= -p.half_width_deg &&
           from_centre <= p.half_width_deg;
}

}  // namespace preview
