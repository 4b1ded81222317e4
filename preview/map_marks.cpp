#include "preview/map_marks.h"

#include <cmath>

#include "core/number_writer.h"
#include "core/route_writer.h"
#include "preview/labels.h"
#include "preview/svg_writer.h"

namespace preview {

void put_marker(const Marker& marker) {
    char name[core::waypoint_name_size];
    put("<circle");
    put_attribute("cx", marker.x);
    put_attribute("cy", marker.y);
    put(" r=\"4\"><title>");
    put_bytes(name, core::format_waypoint_name(name, marker.number));
    put(" ");
    put_number(marker.lat_deg, 6);
    put(" ");
    put_number(marker.lon_deg, 6);
    put("</title></circle>\n");
}

void put_start_and_end(const EndMark& start, const EndMark& end) {
    put("<g stroke=\"#ffffff\" stroke-width=\"1.5\" font-size=\"12\" font-weight=\"bold\">\n");
    if (start.drawn) {
        put("<path fill=\"#1d8a3a\" d=\"");
        put_point_command('M', start.x, start.y - 9.0);
        put_point_command('L', start.x + 8.0, start.y + 6.0);
        put_point_command('L', start.x - 8.0, start.y + 6.0);
        put("Z\"/>\n");
    }
    if (end.drawn) {
        put("<rect fill=\"#9b1c1c\"");
        put_attribute("x", end.x - 6.0);
        put_attribute("y", end.y - 6.0);
        put(" width=\"12\" height=\"12\"/>\n");
    }
    if (start.drawn) put_text_line(start.label.x, start.label.y, "Start", " fill=\"#1d8a3a\" stroke=\"none\"");
    if (end.drawn) put_text_line(end.label.x, end.label.y, "End", " fill=\"#9b1c1c\" stroke=\"none\"");
    put("</g>\n");
}

void put_deviation_mark(const DeviationMark& mark, Placed label) {
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
    put_text_line(label.x, label.y, deviation_text(mark.deviation_m),
                  " fill=\"#8e1f8e\" stroke=\"none\" font-weight=\"bold\"");
    put("</g>\n");
}

double put_scale_and_north(const Projection& p) {
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

    double north_x = p.width - margin - 10.0, north_y = bar_y + 6.0;
    put("<g fill=\"#333333\" stroke=\"none\">\n<path d=\"");
    put_point_command('M', north_x, north_y);
    put_point_command('L', north_x + 7.0, north_y + 20.0);
    put_point_command('L', north_x, north_y + 15.0);
    put_point_command('L', north_x - 7.0, north_y + 20.0);
    put("Z\"/>\n");
    put_text_line(north_x - 19.0, north_y + 16.0, "N", " font-weight=\"bold\"");
    put("</g>\n");
    return bar_y;
}

}  // namespace preview
