// The preview's picture for any points within the readers' bounds and any
// caption bytes: the SVG must hold no NaN or infinity and its text no raw
// markup; and the format judgement must take any head.
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "preview/svg_picture.h"
#include "preview/svg_writer.h"
#include "preview/track_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    preview::judge_format(data, static_cast<int>(size));
    std::string text(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    std::string escaped = preview::xml_text(text);
    for (unsigned char c : escaped) fuzz::check(c >= 0x20 && c != '<' && c != '>' && c != '"', "escaped text");

    // Points of 16 bytes; every third one, the first and the last are
    // waypoints.
    int count = static_cast<int>(size / 16);
    if (count < 1) return 0;
    core::TrackPoint point{};
    preview::TrackExtent extent;
    preview::start_extent(&extent);
    for (int i = 0; i < count; ++i) {
        core::set_point_degrees(&point, fuzz::coordinate(data + 16 * i, 100), fuzz::coordinate(data + 16 * i + 8, 370));
        preview::extend(&extent, point);
    }
    std::FILE* file = std::tmpfile();
    int waypoints = (count - 1) / 3 + 1 + ((count - 1) % 3 != 0 ? 1 : 0);
    // The caption's own text is checked above; here only numbers vary.
    // An odd size draws a view about the first point, at a size from the
    // second, across the 180th meridian where its west comes out east of
    // its east.
    preview::Framing framing = preview::whole_track;
    if (size % 2 == 1) {
        double lat = fuzz::coordinate(data, 89), lon = fuzz::coordinate(data + 8, 180);
        double half = 1e-4 + std::fabs(fuzz::coordinate(data + 16 * (count - 1), 1));
        framing = {true, {lat - half, lon - 2 * half, lat + half, lon + 2 * half}, 0, 0};
        if (data[size - 1] & 1) framing.view.east_deg -= 360.0;
        if (data[size - 1] & 2) {
            framing.width_px = preview::smallest_picture_width + data[0] % 64 * 60;
            framing.height_px = preview::smallest_picture_height + data[1] % 64 * 59;
        }
    }
    preview::begin_picture(file, extent, waypoints, "fuzz", framing);
    int number = 0;
    for (int i = 0; i < count; ++i) {
        core::set_point_degrees(&point, fuzz::coordinate(data + 16 * i, 100), fuzz::coordinate(data + 16 * i + 8, 370));
        preview::draw_track_point(point);
        // The worst point's mark, on a leg from the first point to the last.
        if (i == count / 2)
            preview::mark_deviation(point, i + 1, 3.25, fuzz::coordinate(data, 100), fuzz::coordinate(data + 8, 370),
                                    fuzz::coordinate(data + 16 * (count - 1), 100),
                                    fuzz::coordinate(data + 16 * (count - 1) + 8, 370), 0.5);
        if (i % 3 == 0 || i == count - 1) preview::draw_waypoint(point, ++number);
    }
    preview::Caption caption = {"fuzz.gpx", "/m5 /x1000 /a5 /e50", count, number, 12.5, "", 3.25};
    fuzz::check(preview::end_picture(caption), "picture written");
    std::string svg(static_cast<size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    fuzz::check(std::fread(svg.data(), 1, svg.size(), file) == svg.size(), "picture read back");
    std::fclose(file);
    fuzz::check(svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos, "finite numbers");
    fuzz::check(svg.size() < 8000000, "picture size");
    return 0;
}
