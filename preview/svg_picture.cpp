#include "preview/svg_picture.h"

#include <cmath>
#include <cstdint>

#include "preview/labels.h"
#include "preview/map_marks.h"
#include "preview/pixel_line.h"
#include "preview/svg_writer.h"

namespace preview {

namespace {

// The lines are thinned for drawing on grids of cells (pixel_line.h).
constexpr double track_cell_px = 2.0;
constexpr double route_cell_px = 3.0;
constexpr double most_width = map_max_width + 2 * margin;
constexpr double most_height = map_max_height + 2 * margin + scale_bar_gap + caption_lines * caption_line;
constexpr int most_cells = grid_cells(most_width, most_height, track_cell_px);
constexpr int most_route_cells = grid_cells(most_width, most_height, route_cell_px);
// A path element holds at most this many segments, so no attribute grows
// past what XML readers take.
constexpr int segments_per_path = 2000;

uint8_t track_cells[(most_cells + 7) / 8];
uint8_t route_cells[(most_route_cells + 7) / 8];

struct RouteVertex {
    float x, y;
    bool move;
};
// Every drawn segment claims a cell and needs at most a move and a line.
RouteVertex route_vertices[2 * most_route_cells + 4];
int route_vertex_count = 0;

Marker markers[most_markers + 2];
int marker_count = 0;

// The last three track points' longitudes as read and as drawn: a waypoint
// is always one of them, and takes its drawn longitude from there.
struct RecentLongitude {
    double lat_deg, lon_deg, unwrapped_deg;
};

struct Picture {
    Projection projection;
    int waypoint_count;
    int marker_step;
    LongitudeUnwrap unwrap;
    RecentLongitude recent[3];
    int recent_count;
    PixelLine track_line;
    PixelLine route_line;
    int track_segments;  // in the open path element
    double pen_x, pen_y;
    float start_x, start_y, end_x, end_y;
    DeviationMark mark;
};

Picture picture;

void emit_track(double x, double y, bool move) {
    if (!move && picture.track_segments >= segments_per_path) {
        put("\"/>\n<path d=\"");
        put_point_command('M', picture.pen_x, picture.pen_y);
        picture.track_segments = 0;
    }
    put_point_command(move ? 'M' : 'L', x, y);
    if (!move) ++picture.track_segments;
    picture.pen_x = x;
    picture.pen_y = y;
}

void emit_route(double x, double y, bool move) {
    if (route_vertex_count >= static_cast<int>(sizeof route_vertices / sizeof route_vertices[0])) return;
    route_vertices[route_vertex_count++] = {static_cast<float>(x), static_cast<float>(y), move};
}

// The route over the track, from the vertices kept.
void put_route() {
    put("<g fill=\"none\" stroke=\"#e0601f\" stroke-width=\"3.5\" stroke-opacity=\"0.55\" "
        "stroke-linejoin=\"round\" stroke-linecap=\"round\">\n<path d=\"");
    int segments = 0;
    for (int i = 0; i < route_vertex_count; ++i) {
        const RouteVertex& v = route_vertices[i];
        if (!v.move && segments >= segments_per_path) {
            const RouteVertex& pen = route_vertices[i - 1];
            put("\"/>\n<path d=\"");
            put_point_command('M', pen.x, pen.y);
            segments = 0;
        }
        put_point_command(v.move ? 'M' : 'L', v.x, v.y);
        if (!v.move) ++segments;
    }
    put("\"/>\n</g>\n");
}

}  // namespace

void begin_picture(std::FILE* file, const TrackExtent& extent, int waypoint_count, const std::string& title) {
    Picture& p = picture;
    p = Picture{};
    p.projection = fit_extent(extent);
    p.waypoint_count = waypoint_count;
    p.marker_step = waypoint_count > most_markers ? (waypoint_count + most_markers - 1) / most_markers : 1;
    route_vertex_count = 0;
    marker_count = 0;
    const Projection& at = p.projection;
    start_line(&p.track_line, track_cell_px, at.width, at.height, track_cells, sizeof track_cells);
    start_line(&p.route_line, route_cell_px, at.width, at.height, route_cells, sizeof route_cells);

    start_svg(file);
    put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"");
    put_attribute("width", at.width);
    put_attribute("height", at.height);
    put(" viewBox=\"0 0 ");
    put_number(at.width, 1);
    put(" ");
    put_number(at.height, 1);
    put("\" font-family=\"sans-serif\" font-size=\"13\">\n<title>");
    put(xml_text(title));
    put("</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#fbfaf6\"/>\n");
    put("<g fill=\"none\" stroke=\"#1f4e96\" stroke-width=\"1.2\" stroke-linejoin=\"round\" "
        "stroke-linecap=\"round\">\n<path d=\"");
}

void draw_track_point(const core::TrackPoint& point) {
    Picture& p = picture;
    double lon = unwrap_longitude(&p.unwrap, point.lon_deg);
    p.recent[2] = p.recent[1];
    p.recent[1] = p.recent[0];
    p.recent[0] = {point.lat_deg, point.lon_deg, lon};
    if (p.recent_count < 3) ++p.recent_count;
    if (!std::isfinite(lon) || !std::isfinite(point.lat_deg)) return;
    add_line_point(&p.track_line, pixel_x(p.projection, lon), pixel_y(p.projection, point.lat_deg), emit_track);
}

void draw_waypoint(const core::TrackPoint& point, int number) {
    Picture& p = picture;
    double lon = point.lon_deg;
    for (int k = p.recent_count - 1; k >= 0; --k)
        if (p.recent[k].lat_deg == point.lat_deg && p.recent[k].lon_deg == point.lon_deg)
            lon = p.recent[k].unwrapped_deg;
    if (!std::isfinite(lon) || !std::isfinite(point.lat_deg)) return;
    double x = pixel_x(p.projection, lon), y = pixel_y(p.projection, point.lat_deg);
    add_line_point(&p.route_line, x, y, emit_route);
    if (number == 1) {
        p.start_x = static_cast<float>(x);
        p.start_y = static_cast<float>(y);
    }
    p.end_x = static_cast<float>(x);
    p.end_y = static_cast<float>(y);
    if ((number - 1) % p.marker_step == 0 || number == p.waypoint_count) {
        if (marker_count < most_markers + 2)
            markers[marker_count++] = {static_cast<float>(x), static_cast<float>(y), number, point.lat_deg,
                                       point.lon_deg};
    }
}

void mark_deviation(const core::TrackPoint& point, int point_number, double deviation_m, double start_lat_deg,
                    double start_lon_deg, double end_lat_deg, double end_lon_deg, double fraction) {
    Picture& p = picture;
    const Projection& at = p.projection;
    // The leg's ends lie within half a turn of the point drawn last.
    double lon = p.unwrap.unwrapped_deg;
    double start_lon = lon + within_half_turn(start_lon_deg - point.lon_deg);
    double end_lon = lon + within_half_turn(end_lon_deg - point.lon_deg);
    double foot_lat = start_lat_deg + fraction * (end_lat_deg - start_lat_deg);
    double foot_lon = start_lon + fraction * (end_lon - start_lon);
    DeviationMark mark = {true, pixel_x(at, lon), pixel_y(at, point.lat_deg), pixel_x(at, foot_lon),
                          pixel_y(at, foot_lat), point_number, deviation_m};
    if (std::isfinite(mark.x) && std::isfinite(mark.y) && std::isfinite(mark.foot_x) && std::isfinite(mark.foot_y))
        p.mark = mark;
}

bool end_picture(const Caption& caption) {
    Picture& p = picture;
    put("\"/>\n</g>\n");
    put_route();
    put("<g fill=\"#ffffff\" stroke=\"#d9541e\" stroke-width=\"1.5\">\n");
    for (int i = 0; i < marker_count; ++i) put_marker(markers[i]);
    put("</g>\n");
    put_number_labels(markers, marker_count);
    put_start_and_end(p.start_x, p.start_y, p.end_x, p.end_y);
    if (p.mark.set) put_deviation_mark(p.mark, p.projection.width, p.projection.height);
    double bar_y = put_scale_and_north(p.projection);
    put_caption(caption, margin, bar_y + caption_line + 4.0, p.marker_step, marker_count);
    put("</svg>\n");
    return finish_svg();
}

}  // namespace preview
