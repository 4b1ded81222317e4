#include "preview/svg_picture.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/cr_math.h"
#include "core/distance.h"
#include "core/number_writer.h"

namespace preview {

namespace {

// The map is fitted into this many pixels, with a margin around it and the
// caption below.
constexpr double map_max_width = 960.0;
constexpr double map_max_height = 720.0;
constexpr double map_min_width = 480.0;
constexpr double map_min_height = 240.0;
constexpr double margin = 20.0;
constexpr double caption_line = 18.0;
constexpr int caption_lines = 6;
// The scale bar sits this far below the map, clear of markers and labels
// at its lower edge.
constexpr double scale_bar_gap = 26.0;
// A track shorter than this is drawn as if it spanned it, so that a few
// metres of jitter do not fill the picture.
constexpr double smallest_span_m = 100.0;
constexpr double meters_per_degree = core::earth_radius_m * core::radians_per_degree;
// The longitude scale is never taken below this, so that a track at a pole
// still has a width.
constexpr double smallest_longitude_scale = 0.01;

// A line is thinned for drawing on a grid of cells: a segment is drawn
// only when it reaches a cell the line has not reached before. Each drawn
// segment claims a cell, so the number drawn is bounded by the grid.
constexpr double track_cell_px = 2.0;
constexpr double route_cell_px = 3.0;
constexpr double most_width = map_max_width + 2 * margin;
constexpr double most_height = map_max_height + 2 * margin + scale_bar_gap + caption_lines * caption_line;
constexpr int grid_cells(double cell_px) {
    return (static_cast<int>(most_width / cell_px) + 3) * (static_cast<int>(most_height / cell_px) + 3);
}
constexpr int most_cells = grid_cells(track_cell_px);
constexpr int most_route_cells = grid_cells(route_cell_px);
// A path element holds at most this many segments, so no attribute grows
// past what XML readers take.
constexpr int segments_per_path = 2000;
// Numbers beside more markers than this would hide each other.
constexpr int most_numbers = 200;

struct Cell {
    int column, row;
};

bool operator==(Cell a, Cell b) { return a.column == b.column && a.row == b.row; }

struct PixelLine {
    double cell_px;
    int columns, rows;
    uint8_t* reached;  // one bit per cell
    bool started;
    double previous_x, previous_y;
    Cell previous_cell;
    bool pen_down;
    Cell pen_cell;
};

uint8_t track_cells[(most_cells + 7) / 8];
uint8_t route_cells[(most_route_cells + 7) / 8];

struct RouteVertex {
    float x, y;
    bool move;
};
// Every drawn segment claims a cell and needs at most a move and a line.
RouteVertex route_vertices[2 * most_route_cells + 4];
int route_vertex_count = 0;

struct Marker {
    float x, y;
    int number;
    double lat_deg, lon_deg;
};
Marker markers[most_markers + 2];
int marker_count = 0;

// The last three track points' longitudes as read and as drawn: a waypoint
// is always one of them, and takes its drawn longitude from there.
struct RecentLongitude {
    double lat_deg, lon_deg, unwrapped_deg;
};

// The worst point's mark, in pixels.
struct DeviationMark {
    bool set;
    double x, y;            // the point
    double foot_x, foot_y;  // the nearest point of its leg
    int point_number;
    double deviation_m;
};

struct Picture {
    std::FILE* file;
    bool write_failed;
    // Projection: x = left + (lon - lon_min) * x_scale, y = top + (lat_max - lat) * y_scale.
    double lon_min_deg, lat_max_deg;
    double x_scale, y_scale;  // pixels per degree
    double left, top;
    double pixels_per_meter;
    double map_width, map_height;
    double width, height;
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

void put_bytes(const char* bytes, size_t size) {
    if (std::fwrite(bytes, 1, size, picture.file) != size) picture.write_failed = true;
}

void put(const char* text) { put_bytes(text, std::strlen(text)); }

void put(const std::string& text) { put_bytes(text.data(), text.size()); }

void put_number(double value, int decimals) {
    char text[core::fixed_text_size];
    put_bytes(text, core::format_fixed(text, value, decimals, 0));
}

void put_integer(long long value) {
    char text[24];
    put_bytes(text, core::format_integer(text, value, 0, false));
}

// ` name="value"` with the value to one decimal.
void put_attribute(const char* name, double value) {
    put(" ");
    put(name);
    put("=\"");
    put_number(value, 1);
    put("\"");
}

void start_line(PixelLine* line, double cell_px, uint8_t* reached, int bytes) {
    line->cell_px = cell_px;
    line->columns = static_cast<int>(picture.width / cell_px) + 3;
    line->rows = static_cast<int>(picture.height / cell_px) + 3;
    line->reached = reached;
    std::memset(reached, 0, bytes);
    line->started = false;
    line->pen_down = false;
}

Cell cell_of(const PixelLine& line, double x, double y) {
    auto index = [](double v, double size, int count) {
        double i = std::floor(v / size);
        if (!(i >= 0)) return 0;  // NaN too
        return i >= count - 1 ? count - 1 : static_cast<int>(i);
    };
    return {index(x, line.cell_px, line.columns), index(y, line.cell_px, line.rows)};
}

bool claim(PixelLine* line, Cell cell) {
    int bit = cell.row * line->columns + cell.column;
    uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
    if ((line->reached[bit >> 3] & mask) != 0) return false;
    line->reached[bit >> 3] |= mask;
    return true;
}

// Claims the cells along the segment; true when one was new.
bool claim_segment(PixelLine* line, Cell from, Cell to) {
    int dc = to.column - from.column, dr = to.row - from.row;
    int steps = std::abs(dc) > std::abs(dr) ? std::abs(dc) : std::abs(dr);
    bool fresh = false;
    for (int s = 0; s <= steps; ++s) {
        double f = steps == 0 ? 0.0 : static_cast<double>(s) / steps;
        Cell c = {from.column + static_cast<int>(std::lround(dc * f)),
                  from.row + static_cast<int>(std::lround(dr * f))};
        if (claim(line, c)) fresh = true;
    }
    return fresh;
}

using LineOutput = void (*)(double x, double y, bool move);

// Adds the next point of a line; emit receives the moves and line
// segments to draw.
void add_line_point(PixelLine* line, double x, double y, LineOutput emit) {
    Cell cell = cell_of(*line, x, y);
    if (!line->started) {
        line->started = true;
        claim(line, cell);
        // A line that never leaves its first cell still shows as a dot.
        emit(x, y, true);
        emit(x, y, false);
        line->pen_down = true;
        line->pen_cell = cell;
    } else if (!(cell == line->previous_cell)) {
        if (claim_segment(line, line->previous_cell, cell)) {
            // From a pen in the same cell the step is too small to see.
            if (!(line->pen_down && line->pen_cell == line->previous_cell))
                emit(line->previous_x, line->previous_y, true);
            emit(x, y, false);
            line->pen_down = true;
            line->pen_cell = cell;
        }
    }
    line->previous_x = x;
    line->previous_y = y;
    line->previous_cell = cell;
}

void put_point_command(char command, double x, double y) {
    char text[2] = {command, 0};
    put(text);
    put_number(x, 1);
    put(" ");
    put_number(y, 1);
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

void emit_route(double x, double y, bool move) {
    if (route_vertex_count >= static_cast<int>(sizeof route_vertices / sizeof route_vertices[0]))
        return;
    route_vertices[route_vertex_count++] = {static_cast<float>(x), static_cast<float>(y), move};
}

double pixel_x(double unwrapped_lon_deg) {
    return picture.left + (unwrapped_lon_deg - picture.lon_min_deg) * picture.x_scale;
}

double pixel_y(double lat_deg) { return picture.top + (picture.lat_max_deg - lat_deg) * picture.y_scale; }

// A marker: a circle with the route record's name and coordinates as its
// title.
void put_marker(const Marker& marker) {
    char name[24];
    put("<circle");
    put_attribute("cx", marker.x);
    put_attribute("cy", marker.y);
    put(" r=\"4\"><title>RW");
    put_bytes(name, core::format_integer(name, marker.number, 6, true));
    put(" ");
    put_number(marker.lat_deg, 6);
    put(" ");
    put_number(marker.lon_deg, 6);
    put("</title></circle>\n");
}

void put_text_line(double x, double y, const std::string& text, const char* extra) {
    put("<text");
    put_attribute("x", x);
    put_attribute("y", y);
    put(extra);
    put(">");
    put(xml_text(text));
    put("</text>\n");
}

std::string fixed_text(double value, int decimals) {
    char text[core::fixed_text_size];
    return std::string(text, core::format_fixed(text, value, decimals, 0));
}

// A longitude difference moved by whole turns into -180 .. 180; readers
// keep longitudes within +-370, so a few turns at most.
double within_half_turn(double step_deg) {
    for (int turn = 0; turn < 4 && step_deg > 180.0; ++turn) step_deg -= 360.0;
    for (int turn = 0; turn < 4 && step_deg < -180.0; ++turn) step_deg += 360.0;
    return step_deg;
}

// "35.8 m": the deviation as standard output gives it.
std::string deviation_text(double deviation_m) { return fixed_text(deviation_m, 1) + " m"; }

// The mark of the worst point: a line to its leg, a ring with its title,
// and the distance beside it, on the side away from the leg.
void put_deviation_mark(const DeviationMark& mark) {
    double dx = mark.x - mark.foot_x, dy = mark.y - mark.foot_y;
    double size = std::sqrt(dx * dx + dy * dy);
    if (size < 1.0) {
        dx = 0.7071;
        dy = -0.7071;
    } else {
        dx /= size;
        dy /= size;
    }
    put("<g stroke=\"#8e1f8e\" stroke-width=\"2\" fill=\"#ffffff\">\n<path d=\"");
    put_point_command('M', mark.x, mark.y);
    put_point_command('L', mark.foot_x, mark.foot_y);
    put("\"/>\n<circle");
    put_attribute("cx", mark.x);
    put_attribute("cy", mark.y);
    put(" r=\"5\"><title>largest deviation ");
    put(deviation_text(mark.deviation_m));
    put(", track point ");
    put_integer(mark.point_number);
    put("</title></circle>\n");
    // The label keeps clear of the picture's edges: some 8 pixels a
    // character.
    std::string label = deviation_text(mark.deviation_m);
    double label_width = 8.0 * static_cast<double>(label.size());
    bool leftwards = dx < 0;
    if (mark.x + 9.0 + label_width > picture.width) leftwards = true;
    if (mark.x - 9.0 - label_width < 0.0) leftwards = false;
    double label_y = std::fmin(std::fmax(mark.y + dy * 9.0 + (dy > 0 ? 9.0 : 0.0), 14.0), picture.height - 4.0);
    put_text_line(mark.x + (leftwards ? -9.0 : 9.0), label_y, label,
                  leftwards ? " fill=\"#8e1f8e\" stroke=\"none\" font-weight=\"bold\" text-anchor=\"end\""
                            : " fill=\"#8e1f8e\" stroke=\"none\" font-weight=\"bold\"");
    put("</g>\n");
}

// "2nd", "3rd", "11th", "21st".
std::string ordinal(int n) {
    const char* suffix = "th";
    if (n % 100 < 11 || n % 100 > 13) {
        if (n % 10 == 1) suffix = "st";
        if (n % 10 == 2) suffix = "nd";
        if (n % 10 == 3) suffix = "rd";
    }
    return std::to_string(n) + suffix;
}

}  // namespace

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

void begin_picture(std::FILE* file, const TrackExtent& extent, int waypoint_count,
                   const std::string& title) {
    Picture& p = picture;
    p = Picture{};
    p.file = file;
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
    p.waypoint_count = waypoint_count;
    p.marker_step = waypoint_count > most_markers ? (waypoint_count + most_markers - 1) / most_markers : 1;
    route_vertex_count = 0;
    marker_count = 0;
    start_line(&p.track_line, track_cell_px, track_cells, sizeof track_cells);
    start_line(&p.route_line, route_cell_px, route_cells, sizeof route_cells);

    put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"");
    put_attribute("width", p.width);
    put_attribute("height", p.height);
    put(" viewBox=\"0 0 ");
    put_number(p.width, 1);
    put(" ");
    put_number(p.height, 1);
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
    add_line_point(&p.track_line, pixel_x(lon), pixel_y(point.lat_deg), emit_track);
}

void draw_waypoint(const core::TrackPoint& point, int number) {
    Picture& p = picture;
    double lon = point.lon_deg;
    for (int k = p.recent_count - 1; k >= 0; --k)
        if (p.recent[k].lat_deg == point.lat_deg && p.recent[k].lon_deg == point.lon_deg)
            lon = p.recent[k].unwrapped_deg;
    if (!std::isfinite(lon) || !std::isfinite(point.lat_deg)) return;
    double x = pixel_x(lon), y = pixel_y(point.lat_deg);
    add_line_point(&p.route_line, x, y, emit_route);
    if (number == 1) {
        p.start_x = static_cast<float>(x);
        p.start_y = static_cast<float>(y);
    }
    p.end_x = static_cast<float>(x);
    p.end_y = static_cast<float>(y);
    if ((number - 1) % p.marker_step == 0 || number == p.waypoint_count) {
        if (marker_count < most_markers + 2)
            markers[marker_count++] = {static_cast<float>(x), static_cast<float>(y), number,
                                       point.lat_deg, point.lon_deg};
    }
}

void mark_deviation(const core::TrackPoint& point, int point_number, double deviation_m,
                    double start_lat_deg, double start_lon_deg, double end_lat_deg,
                    double end_lon_deg, double fraction) {
    Picture& p = picture;
    // The leg's ends lie within half a turn of the point drawn last.
    double lon = p.unwrap.unwrapped_deg;
    double start_lon = lon + within_half_turn(start_lon_deg - point.lon_deg);
    double end_lon = lon + within_half_turn(end_lon_deg - point.lon_deg);
    double foot_lat = start_lat_deg + fraction * (end_lat_deg - start_lat_deg);
    double foot_lon = start_lon + fraction * (end_lon - start_lon);
    DeviationMark mark = {true, pixel_x(lon), pixel_y(point.lat_deg), pixel_x(foot_lon), pixel_y(foot_lat),
                          point_number, deviation_m};
    if (std::isfinite(mark.x) && std::isfinite(mark.y) && std::isfinite(mark.foot_x) && std::isfinite(mark.foot_y))
        p.mark = mark;
}

bool end_picture(const Caption& caption) {
    Picture& p = picture;
    put("\"/>\n</g>\n");

    // The route over the track.
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

    // Numbered markers; with many, numbers on about 200 of them.
    int number_step = (marker_count + most_numbers - 1) / most_numbers;
    put("<g fill=\"#ffffff\" stroke=\"#d9541e\" stroke-width=\"1.5\">\n");
    for (int i = 0; i < marker_count; ++i) put_marker(markers[i]);
    put("</g>\n<g fill=\"#7a2c0c\" font-size=\"10\">\n");
    for (int i = 0; i < marker_count; ++i)
        if (i % number_step == 0 || i == marker_count - 1) {
            put("<text");
            put_attribute("x", markers[i].x + 5.0);
            put_attribute("y", markers[i].y - 5.0);
            put(">");
            put_integer(markers[i].number);
            put("</text>\n");
        }
    put("</g>\n");

    // Start: a green triangle; end: a dark red square.
    put("<g stroke=\"#ffffff\" stroke-width=\"1.5\" font-size=\"12\" font-weight=\"bold\">\n");
    put("<path fill=\"#1d8a3a\" d=\"");
    put_point_command('M', p.start_x, p.start_y - 9.0);
    put_point_command('L', p.start_x + 8.0, p.start_y + 6.0);
    put_point_command('L', p.start_x - 8.0, p.start_y + 6.0);
    put("Z\"/>\n<rect fill=\"#9b1c1c\"");
    put_attribute("x", p.end_x - 6.0);
    put_attribute("y", p.end_y - 6.0);
    put(" width=\"12\" height=\"12\"/>\n");
    put_text_line(p.start_x + 10.0, p.start_y + 16.0, "Start", " fill=\"#1d8a3a\" stroke=\"none\"");
    put_text_line(p.end_x + 10.0, p.end_y + 16.0, "End", " fill=\"#9b1c1c\" stroke=\"none\"");
    put("</g>\n");
    if (p.mark.set) put_deviation_mark(p.mark);

    // Scale bar at the bottom left of the map, a quarter of its width or less.
    double bar_m = scale_bar_length(p.map_width / 4 / p.pixels_per_meter);
    double bar_px = bar_m * p.pixels_per_meter;
    double bar_x = margin, bar_y = margin + p.map_height + scale_bar_gap;
    put("<g stroke=\"#333333\" stroke-width=\"2\" fill=\"none\">\n<path d=\"");
    put_point_command('M', bar_x, bar_y - 5.0);
    put_point_command('L', bar_x, bar_y);
    put_point_command('L', bar_x + bar_px, bar_y);
    put_point_command('L', bar_x + bar_px, bar_y - 5.0);
    put("\"/>\n</g>\n");
    put_text_line(bar_x + bar_px + 8.0, bar_y + 1.0, distance_label(bar_m), " fill=\"#333333\"");

    // North arrow below the map's right corner, clear of the track.
    double north_x = p.width - margin - 10.0, north_y = bar_y + 6.0;
    put("<g fill=\"#333333\" stroke=\"none\">\n<path d=\"");
    put_point_command('M', north_x, north_y);
    put_point_command('L', north_x + 7.0, north_y + 20.0);
    put_point_command('L', north_x, north_y + 15.0);
    put_point_command('L', north_x - 7.0, north_y + 20.0);
    put("Z\"/>\n");
    put_text_line(north_x - 19.0, north_y + 16.0, "N", " font-weight=\"bold\"");
    put("</g>\n");

    // Caption.
    double line_y = bar_y + caption_line + 4.0;
    put("<g fill=\"#222222\">\n");
    put_text_line(margin, line_y, caption.file_name, " font-weight=\"bold\"");
    put_text_line(margin, line_y + caption_line, "Thresholds: " + caption.thresholds, "");
    std::string counts = "Points read: " + std::to_string(caption.points_read) +
                         " \xc2\xb7 Waypoints written: " + std::to_string(caption.waypoints) +
                         " \xc2\xb7 Track length: " + distance_label(caption.track_length_m);
    put_text_line(margin, line_y + 2 * caption_line, counts, "");
    put_text_line(margin, line_y + 3 * caption_line,
                  "Largest deviation: " + deviation_text(caption.largest_deviation_m), "");
    std::string markers_line;
    if (p.marker_step > 1)
        markers_line = "Markers thinned for drawing: every " + ordinal(p.marker_step) +
                       " waypoint and the last (" + std::to_string(marker_count) + " of " +
                       std::to_string(caption.waypoints) + ")";
    if (!markers_line.empty()) put_text_line(margin, line_y + 4 * caption_line, markers_line, "");
    if (!caption.note.empty())
        put_text_line(margin, line_y + (markers_line.empty() ? 4 : 5) * caption_line, caption.note,
                      "");
    put("</g>\n</svg>\n");
    std::fflush(p.file);
    return !p.write_failed && std::ferror(p.file) == 0;
}

std::string xml_text(const std::string& text) {
    std::string out;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = s[i];
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        if (c == '&' || c == '<' || c == '>' || c == '"') {
            ++i;
            continue;
        }
        if (c >= 0x20 && c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // A UTF-8 sequence: its length, the smallest value it may encode
        // (no overlong forms), and its value.
        int length = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 ? (c < 0xf0 ? 3 : 0) : c >= 0xc2 ? 2 : 0;
        uint32_t value = length == 4 ? c & 0x07u : length == 3 ? c & 0x0fu : c & 0x1fu;
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            valid = (s[i + k] & 0xc0) == 0x80;
            value = value << 6 | (s[i + k] & 0x3fu);
        }
        uint32_t smallest = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
        valid = valid && value >= smallest && value <= 0x10ffff && !(value >= 0xd800 && value <= 0xdfff) &&
                value != 0xfffe && value != 0xffff;
        if (valid) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\xef\xbf\xbd";
            ++i;
        }
    }
    return out;
}

double scale_bar_length(double limit_m) {
    double length = 1.0;
    while (length * 10 <= limit_m && length < 1e7) length *= 10;
    if (length * 5 <= limit_m) return length * 5;
    if (length * 2 <= limit_m) return length * 2;
    return length;
}

std::string distance_label(double length_m) {
    if (length_m >= 1000.0) {
        double km = length_m / 1000.0;
        int decimals = km >= 100 || km == std::floor(km) ? 0 : km >= 10 ? 1 : 2;
        return fixed_text(km, decimals) + " km";
    }
    return fixed_text(length_m, length_m == std::floor(length_m) ? 0 : 1) + " m";
}

}  // namespace preview
