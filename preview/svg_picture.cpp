#include "preview/svg_picture.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "preview/label_grid.h"
#include "preview/labels.h"
#include "preview/map_marks.h"
#include "preview/pixel_line.h"
#include "preview/route_buffer.h"
#include "preview/svg_writer.h"

namespace preview {

namespace {

// The track is thinned for drawing on a grid of cells of 2 pixels
// (pixel_line.h), the route on its own (route_buffer.h).
constexpr double track_cell_px = 2.0;
constexpr int most_cells = grid_cells(largest_picture_side, largest_picture_side, track_cell_px);

uint8_t track_cells[(most_cells + 7) / 8];

// The markers drawn; a view keeps the last waypoint in it aside until the
// end, and past most_markers drops every other one and doubles its step.
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
    PixelLine track_line, route_line;
    CutLine track_cut, route_cut;
    double previous_track_lon, previous_route_lon;  // a view's, within half a turn of its middle
    int track_segments;                             // in the open path element
    double pen_x, pen_y;
    EndMark start, end;
    DeviationMark mark;
    int view_points, view_waypoints;
    bool last_kept;  // a view's last waypoint is in markers
    Marker last;
    // The track's group, drawn again over the route: named after the
    // picture, so that two pictures in one page keep to their own.
    char track_id[16];
};

Picture picture;

// "track-" and eight hexadecimal digits of a hash of the title and the
// projection.
void name_track(char* id, const std::string& title, const Projection& at) {
    uint32_t hash = 2166136261u;
    auto mix = [&hash](uint8_t byte) { hash = (hash ^ byte) * 16777619u; };
    for (char c : title) mix(static_cast<uint8_t>(c));
    // The numbers' bits from the lowest byte up, the same on every system.
    for (double number : {at.lon_min_deg, at.lat_max_deg, at.x_scale, at.y_scale, at.left, at.top, at.width,
                          at.height}) {
        uint64_t bits;
        std::memcpy(&bits, &number, sizeof bits);
        for (int k = 0; k < 8; ++k) mix(static_cast<uint8_t>(bits >> (8 * k)));
    }
    std::snprintf(id, 16, "track-%08x", static_cast<unsigned>(hash));
}

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

// A point of a view's line: cut at the map's edges, and broken where the
// line goes round the far side of the globe from the window.
void add_view_point(CutLine* cut, double* previous_lon, double lon, double lat, LineOutput emit) {
    const Projection& at = picture.projection;
    double drawn_lon = view_longitude(at, lon);
    if (cut->has_previous && std::fabs(drawn_lon - *previous_lon) > 180.0) break_cut_line(cut);
    *previous_lon = drawn_lon;
    add_cut_point(cut, pixel_x(at, drawn_lon), pixel_y(at, lat), emit);
}

// A view's marker, in the in-window order number given: every
// marker_step-th is kept, and the latest aside.
void keep_view_marker(const Marker& marker, int order) {
    Picture& p = picture;
    if (order % p.marker_step == 0) {
        if (marker_count == most_markers) {
            int kept = 0;
            for (int i = 0; i < marker_count; i += 2) markers[kept++] = markers[i];
            marker_count = kept;
            p.marker_step *= 2;
        }
        if (order % p.marker_step == 0) markers[marker_count++] = marker;
    }
    p.last = marker;
    p.last_kept = order % p.marker_step == 0;
}

// A waypoint of a view: its leg cut at the map's edges, and a marker
// where it lies in the window.
void draw_view_waypoint(const core::TrackPoint& point, int number) {
    Picture& p = picture;
    const Projection& at = p.projection;
    if (!std::isfinite(point.lon_deg) || !std::isfinite(point.lat_deg)) return;
    add_view_point(&p.route_cut, &p.previous_route_lon, point.lon_deg, point.lat_deg, emit_route);
    if (!in_window(at, point.lat_deg, point.lon_deg)) return;
    double lon = view_longitude(at, point.lon_deg);
    Marker marker = {static_cast<float>(pixel_x(at, lon)), static_cast<float>(pixel_y(at, point.lat_deg)), number,
                     point.lat_deg, point.lon_deg};
    if (number == 1) p.start = {true, marker.x, marker.y, {}};
    if (number == p.waypoint_count) p.end = {true, marker.x, marker.y, {}};
    keep_view_marker(marker, p.view_waypoints++);
}

}  // namespace

void begin_picture(std::FILE* file, const TrackExtent& extent, int waypoint_count, const std::string& title,
                   const Framing& framing) {
    Picture& p = picture;
    p = Picture{};
    p.projection = framing.has_view ? fit_window(framing.view, extent, framing.width_px, framing.height_px)
                                    : fit_extent(extent, framing.width_px, framing.height_px);
    p.waypoint_count = waypoint_count;
    p.marker_step =
        !framing.has_view && waypoint_count > most_markers ? (waypoint_count + most_markers - 1) / most_markers : 1;
    marker_count = 0;
    const Projection& at = p.projection;
    int track_bytes = (grid_cells(at.width, at.height, track_cell_px) + 7) / 8;
    start_line(&p.track_line, track_cell_px, at.width, at.height, track_cells, track_bytes);
    start_route_line(&p.route_line, at.width, at.height);
    double right = at.left + at.map_width, bottom = at.top + at.map_height;
    start_cut_line(&p.track_cut, &p.track_line, at.left, at.top, right, bottom);
    start_cut_line(&p.route_cut, &p.route_line, at.left, at.top, right, bottom);

    name_track(p.track_id, title, at);
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
        "stroke-linecap=\"round\">\n<g id=\"");
    put(p.track_id);
    put("\">\n<path d=\"");
}

void draw_track_point(const core::TrackPoint& point) {
    Picture& p = picture;
    double lon = unwrap_longitude(&p.unwrap, point.lon_deg);
    p.recent[2] = p.recent[1];
    p.recent[1] = p.recent[0];
    p.recent[0] = {point.lat_deg, point.lon_deg, lon};
    if (p.recent_count < 3) ++p.recent_count;
    if (!std::isfinite(lon) || !std::isfinite(point.lat_deg)) return;
    if (p.projection.view) {
        if (in_window(p.projection, point.lat_deg, point.lon_deg)) ++p.view_points;
        add_view_point(&p.track_cut, &p.previous_track_lon, point.lon_deg, point.lat_deg, emit_track);
        return;
    }
    add_line_point(&p.track_line, pixel_x(p.projection, lon), pixel_y(p.projection, point.lat_deg), emit_track);
}

void draw_waypoint(const core::TrackPoint& point, int number) {
    Picture& p = picture;
    const Projection& at = p.projection;
    if (at.view) {
        draw_view_waypoint(point, number);
        return;
    }
    double lon = point.lon_deg;
    for (int k = p.recent_count - 1; k >= 0; --k)
        if (p.recent[k].lat_deg == point.lat_deg && p.recent[k].lon_deg == point.lon_deg)
            lon = p.recent[k].unwrapped_deg;
    if (!std::isfinite(lon) || !std::isfinite(point.lat_deg)) return;
    double x = pixel_x(at, lon), y = pixel_y(at, point.lat_deg);
    add_line_point(&p.route_line, x, y, emit_route);
    if (number == 1) p.start = {true, static_cast<float>(x), static_cast<float>(y), {}};
    p.end = {true, static_cast<float>(x), static_cast<float>(y), {}};
    ++p.view_waypoints;
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
    if (at.view && !in_window(at, point.lat_deg, point.lon_deg)) {
        p.mark.set = false;
        return;
    }
    // The leg's ends lie within half a turn of the point drawn last.
    double lon = at.view ? view_longitude(at, point.lon_deg) : p.unwrap.unwrapped_deg;
    double start_lon = lon + within_half_turn(start_lon_deg - point.lon_deg);
    double end_lon = lon + within_half_turn(end_lon_deg - point.lon_deg);
    double foot_lat = start_lat_deg + fraction * (end_lat_deg - start_lat_deg);
    double foot_lon = start_lon + fraction * (end_lon - start_lon);
    DeviationMark mark = {true, pixel_x(at, lon), pixel_y(at, point.lat_deg), pixel_x(at, foot_lon),
                          pixel_y(at, foot_lat), point_number, deviation_m};
    if (at.view) {
        // The line to the leg ends at the map's edge.
        double fx = std::fmin(std::fmax(mark.foot_x, at.left), at.left + at.map_width);
        double fy = std::fmin(std::fmax(mark.foot_y, at.top), at.top + at.map_height);
        double tx = mark.foot_x == mark.x ? 1.0 : (fx - mark.x) / (mark.foot_x - mark.x);
        double ty = mark.foot_y == mark.y ? 1.0 : (fy - mark.y) / (mark.foot_y - mark.y);
        double t = std::fmin(tx, ty);
        mark.foot_x = mark.x + t * (mark.foot_x - mark.x);
        mark.foot_y = mark.y + t * (mark.foot_y - mark.y);
    }
    if (std::isfinite(mark.x) && std::isfinite(mark.y) && std::isfinite(mark.foot_x) && std::isfinite(mark.foot_y))
        p.mark = mark;
}

bool end_picture(const Caption& caption) {
    Picture& p = picture;
    if (p.projection.view && p.view_waypoints > 0 && !p.last_kept) markers[marker_count++] = p.last;
    put("\"/>\n</g>\n</g>\n");
    put_route();
    // The track again over the route, thin, where the route would hide it.
    put("<use href=\"#");
    put(p.track_id);
    put("\" fill=\"none\" stroke=\"#1f4e96\" stroke-width=\"0.6\" stroke-linejoin=\"round\" "
        "stroke-linecap=\"round\"/>\n");
    put("<g fill=\"#ffffff\" stroke=\"#d9541e\" stroke-width=\"1.5\">\n");
    for (int i = 0; i < marker_count; ++i) put_marker(markers[i]);
    put("</g>\n");
    Placed deviation_label = place_mark_labels(p.projection, markers, marker_count, &p.start, &p.end, p.mark);
    int numbered = put_number_labels(markers, marker_count, p.waypoint_count);
    put_start_and_end(p.start, p.end);
    if (p.mark.set) put_deviation_mark(p.mark, deviation_label);
    double bar_y = put_scale_and_north(p.projection);
    int waypoints = p.projection.view ? p.view_waypoints : caption.waypoints;
    int numberable = waypoints - (p.start.drawn ? 1 : 0) - (p.end.drawn && p.waypoint_count > 1 ? 1 : 0);
    CaptionFacts facts = {p.marker_step, marker_count, waypoints, numbered, numberable, p.projection.view,
                          drawn_window(p.projection), p.view_points};
    put_caption(caption, facts, margin, bar_y + caption_line + 4.0);
    put("</svg>\n");
    return finish_svg();
}

ViewFacts view_facts() {
    const Projection& at = picture.projection;
    return {drawn_window(at), at.left, at.top, at.map_width, at.map_height, picture.view_points,
            picture.view_waypoints};
}

const Projection& picture_projection() { return picture.projection; }

}  // namespace preview
