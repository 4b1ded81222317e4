#include "preview/labels.h"

#include <cmath>

#include "core/number_writer.h"
#include "preview/number_text.h"
#include "preview/projection.h"
#include "preview/svg_writer.h"

namespace preview {

namespace {

constexpr double number_font_size = 10.0;
// Between a label and the box of its mark.
constexpr double label_gap = 0.25;

// The eight places around a mark's box for a label w x h, from the first
// tried: right above it, right, right below, left above, left, left
// below, above and below.
Box place_around(const Box& mark, double w, double h, int k, double gap = label_gap) {
    double cx = (mark.left + mark.right) / 2, cy = (mark.top + mark.bottom) / 2;
    double right = mark.right + gap, left = mark.left - gap - w;
    double above = mark.top - gap - h, below = mark.bottom + gap;
    double beside = cy - h / 2, middle = cx - w / 2;
    const double places[8][2] = {{right, above}, {right, beside}, {right, below}, {left, above},
                                 {left, beside}, {left, below},   {middle, above}, {middle, below}};
    return {places[k][0], places[k][1], places[k][0] + w, places[k][1] + h};
}

std::string shortest(double value) {
    char text[core::shortest_text_size];
    return std::string(text, core::format_shortest(text, value));
}


// The deviation's label, on the side away from its leg.
Placed place_deviation_label(const DeviationMark& mark, const Projection& at) {
    double dx = mark.x - mark.foot_x, dy = mark.y - mark.foot_y;
    double size = std::sqrt(dx * dx + dy * dy);
    if (size < 1.0) {
        dx = 0.7071;
        dy = -0.7071;
    } else {
        dx /= size;
        dy /= size;
    }
    Placed first = deviation_label_place(mark.x, mark.y, dx, dy, mark.deviation_m, at.width, at.height);
    return place_always(first.x, first.y, ring_box(mark.x, mark.y), deviation_text(mark.deviation_m), 13.0, true);
}

}  // namespace

Box label_box(double x, double baseline, const std::string& text, double font_size, bool bold) {
    double width = static_cast<double>(text.size()) * font_size * (bold ? 0.72 : 0.64);
    return {x, baseline - font_size, x + width, baseline};
}

Box marker_box(double x, double y) { return {x - 4.75, y - 4.75, x + 4.75, y + 4.75}; }
Box start_box(double x, double y) { return {x - 8.75, y - 9.75, x + 8.75, y + 6.75}; }
Box end_box(double x, double y) { return {x - 6.75, y - 6.75, x + 6.75, y + 6.75}; }
Box ring_box(double x, double y) { return {x - 6.0, y - 6.0, x + 6.0, y + 6.0}; }

Placed place_always(double x, double baseline, const Box& mark, const std::string& text, double font_size,
                    bool bold) {
    Box first = label_box(x, baseline, text, font_size, bold);
    Box chosen = first;
    // Where the marks crowd, farther out.
    for (double gap = label_gap; gap < 40.0 && !is_clear(chosen); gap += 8.0)
        for (int k = 0; k < 8; ++k) {
            Box b = place_around(mark, first.right - first.left, font_size, k, gap);
            if (is_clear(b)) {
                chosen = b;
                break;
            }
        }
    if (!is_clear(chosen)) chosen = first;
    take_box(chosen);
    return {chosen.left, chosen.bottom};
}

Placed place_mark_labels(const Projection& at, const Marker* markers, int count, EndMark* start, EndMark* end,
                         const DeviationMark& mark) {
    start_label_grid(at.width, at.height, {0.0, 0.0, at.width, at.top + at.map_height + 12.0});
    for (int i = 0; i < count; ++i) take_box(marker_box(markers[i].x, markers[i].y));
    if (start->drawn) take_box(start_box(start->x, start->y));
    if (end->drawn) take_box(end_box(end->x, end->y));
    if (mark.set) take_box(ring_box(mark.x, mark.y));
    if (start->drawn)
        start->label =
            place_always(start->x + 10.0, start->y + 16.0, start_box(start->x, start->y), "Start", 12.0, true);
    if (end->drawn) end->label = place_always(end->x + 10.0, end->y + 16.0, end_box(end->x, end->y), "End", 12.0, true);
    return mark.set ? place_deviation_label(mark, at) : Placed{};
}

int put_number_labels(const Marker* markers, int count, int last_number) {
    int placed = 0;
    char text[core::integer_text_size];
    put("<g fill=\"#7a2c0c\" font-size=\"10\">\n");
    for (int i = 0; i < count; ++i) {
        if (markers[i].number == 1 || markers[i].number == last_number) continue;
        int length = core::format_integer(text, markers[i].number, 0, false);
        double w = length * number_font_size * 0.64;
        Box mark = marker_box(markers[i].x, markers[i].y);
        for (int k = 0; k < 8; ++k) {
            Box b = place_around(mark, w, number_font_size, k);
            if (!is_clear(b)) continue;
            take_box(b);
            ++placed;
            put("<text");
            put_attribute("x", b.left);
            put_attribute("y", b.bottom);
            put(">");
            put_bytes(text, length);
            put("</text>\n");
            break;
        }
    }
    put("</g>\n");
    return placed;
}

std::string deviation_text(double deviation_m) { return fixed_text(deviation_m, 1) + " m"; }

Placed deviation_label_place(double x, double y, double dx, double dy, double deviation_m, double width,
                             double height) {
    Box box = label_box(0, 0, deviation_text(deviation_m), 13.0, true);
    double label_width = box.right - box.left;
    bool leftwards = dx < 0;
    if (x + 9.0 + label_width > width) leftwards = true;
    if (x - 9.0 - label_width < 0.0) leftwards = false;
    double label_y = std::fmin(std::fmax(y + dy * 9.0 + (dy > 0 ? 9.0 : 0.0), 14.0), height - 4.0);
    return {leftwards ? x - 9.0 - label_width : x + 9.0, label_y};
}

void put_caption(const Caption& caption, const CaptionFacts& facts, double x, double line_y) {
    put("<g fill=\"#222222\">\n");
    put_text_line(x, line_y, caption.file_name, " font-weight=\"bold\"");
    put_text_line(x, line_y + caption_line, "Thresholds: " + caption.thresholds, "");
    std::string counts = "Points read: " + std::to_string(caption.points_read) +
                         " \xc2\xb7 Waypoints written: " + std::to_string(caption.waypoints) +
                         " \xc2\xb7 Track length: " + distance_label(caption.track_length_m);
    put_text_line(x, line_y + 2 * caption_line, counts, "");
    put_text_line(x, line_y + 3 * caption_line, "Largest deviation: " + deviation_text(caption.largest_deviation_m),
                  "");
    int line = 4;
    if (facts.view) {
        std::string window;
        for (double v : {facts.window.south_deg, facts.window.west_deg, facts.window.north_deg, facts.window.east_deg}) {
            // Appended in two steps: g++ 12 at -O3 warns falsely of a
            // "literal" + string temporary (-Wrestrict).
            if (!window.empty()) window += ",";
            window += fixed_text(v, 6);
        }
        std::string in_it = facts.view_points == 0
                                ? "no track point in it"
                                : with_commas(facts.view_points) +
                                      (facts.view_points == 1 ? " track point and " : " track points and ") +
                                      with_commas(facts.waypoints) +
                                      (facts.waypoints == 1 ? " waypoint in it" : " waypoints in it");
        put_text_line(x, line_y + line++ * caption_line, "View " + window + ": " + in_it, "");
    }
    if (facts.marker_step > 1)
        put_text_line(x, line_y + line++ * caption_line,
                      "Markers thinned for drawing: every " + ordinal(facts.marker_step) + " waypoint" +
                          (facts.view ? " in the view" : "") + " and the last (" + std::to_string(facts.marker_count) +
                          " of " + std::to_string(facts.waypoints) + ")",
                      "");
    if (facts.numbered < facts.numberable)
        put_text_line(x, line_y + line++ * caption_line,
                      "Numbers on " + with_commas(facts.numbered) + " of " + with_commas(facts.numberable) +
                          " waypoints" + (facts.view ? " in the view" : "") + ": zoom in for the other " +
                          with_commas(facts.numberable - facts.numbered),
                      "");
    if (!caption.note.empty()) put_text_line(x, line_y + line * caption_line, caption.note, "");
    put("</g>\n");
}

namespace {

// A figure in pixels as the picture writes its coordinates, to one
// decimal, and without the decimal where it is 0 ("960", "577.1").
std::string pixels(double value) {
    std::string text = fixed_text(value, 1);
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.resize(text.size() - 2);
    return text;
}

}  // namespace

std::string view_line(const ViewFacts& view) {
    std::string line = "View: ";
    const double window[] = {view.window.south_deg, view.window.west_deg, view.window.north_deg,
                             view.window.east_deg};
    for (int k = 0; k < 4; ++k) {
        if (k > 0) line += ",";
        line += shortest(window[k]);
    }
    line += " at " + pixels(view.left) + "," + pixels(view.top) + " " + pixels(view.width) + "x" +
            pixels(view.height) + " px: ";
    if (view.track_points == 0) return line + "no track point in it";
    line += std::to_string(view.track_points) + (view.track_points == 1 ? " track point and " : " track points and ");
    return line + std::to_string(view.waypoints) + (view.waypoints == 1 ? " waypoint in it" : " waypoints in it");
}

std::string ordinal(int n) {
    const char* suffix = "th";
    if (n % 100 < 11 || n % 100 > 13) {
        if (n % 10 == 1) suffix = "st";
        if (n % 10 == 2) suffix = "nd";
        if (n % 10 == 3) suffix = "rd";
    }
    return std::to_string(n) + suffix;
}

std::string with_commas(long long n) {
    std::string digits = std::to_string(n);
    std::string text;
    int first = n < 0 ? 1 : 0;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (static_cast<int>(i) > first && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
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
