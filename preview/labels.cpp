#include "preview/labels.h"

#include <cmath>

#include "preview/projection.h"
#include "preview/svg_writer.h"

namespace preview {

namespace {

// Numbers beside more markers than this would hide each other.
constexpr int most_numbers = 200;

}  // namespace

void put_number_labels(const Marker* markers, int count) {
    int number_step = (count + most_numbers - 1) / most_numbers;
    put("<g fill=\"#7a2c0c\" font-size=\"10\">\n");
    for (int i = 0; i < count; ++i)
        if (i % number_step == 0 || i == count - 1) {
            put("<text");
            put_attribute("x", markers[i].x + 5.0);
            put_attribute("y", markers[i].y - 5.0);
            put(">");
            put_integer(markers[i].number);
            put("</text>\n");
        }
    put("</g>\n");
}

void put_start_end_labels(double start_x, double start_y, double end_x, double end_y) {
    put_text_line(start_x + 10.0, start_y + 16.0, "Start", " fill=\"#1d8a3a\" stroke=\"none\"");
    put_text_line(end_x + 10.0, end_y + 16.0, "End", " fill=\"#9b1c1c\" stroke=\"none\"");
}

std::string deviation_text(double deviation_m) { return fixed_text(deviation_m, 1) + " m"; }

void put_deviation_label(double x, double y, double dx, double dy, double deviation_m, double width,
                         double height) {
    // The label keeps clear of the picture's edges: some 8 pixels a
    // character.
    std::string label = deviation_text(deviation_m);
    double label_width = 8.0 * static_cast<double>(label.size());
    bool leftwards = dx < 0;
    if (x + 9.0 + label_width > width) leftwards = true;
    if (x - 9.0 - label_width < 0.0) leftwards = false;
    double label_y = std::fmin(std::fmax(y + dy * 9.0 + (dy > 0 ? 9.0 : 0.0), 14.0), height - 4.0);
    put_text_line(x + (leftwards ? -9.0 : 9.0), label_y, label,
                  leftwards ? " fill=\"#8e1f8e\" stroke=\"none\" font-weight=\"bold\" text-anchor=\"end\""
                            : " fill=\"#8e1f8e\" stroke=\"none\" font-weight=\"bold\"");
}

void put_caption(const Caption& caption, double x, double line_y, int marker_step, int marker_count) {
    put("<g fill=\"#222222\">\n");
    put_text_line(x, line_y, caption.file_name, " font-weight=\"bold\"");
    put_text_line(x, line_y + caption_line, "Thresholds: " + caption.thresholds, "");
    std::string counts = "Points read: " + std::to_string(caption.points_read) +
                         " \xc2\xb7 Waypoints written: " + std::to_string(caption.waypoints) +
                         " \xc2\xb7 Track length: " + distance_label(caption.track_length_m);
    put_text_line(x, line_y + 2 * caption_line, counts, "");
    put_text_line(x, line_y + 3 * caption_line, "Largest deviation: " + deviation_text(caption.largest_deviation_m),
                  "");
    std::string markers_line;
    if (marker_step > 1)
        markers_line = "Markers thinned for drawing: every " + ordinal(marker_step) + " waypoint and the last (" +
                       std::to_string(marker_count) + " of " + std::to_string(caption.waypoints) + ")";
    if (!markers_line.empty()) put_text_line(x, line_y + 4 * caption_line, markers_line, "");
    if (!caption.note.empty())
        put_text_line(x, line_y + (markers_line.empty() ? 4 : 5) * caption_line, caption.note, "");
    put("</g>\n");
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
