// The preview picture: a self-contained SVG of the track, the route through
// its numbered waypoints, start and end, a scale bar and a caption, drawn
// in a local equirectangular projection with north up.
//
// It is written in one pass over the track after a survey pass has found
// the track's extent: the track line goes to the file as it comes, the
// route line and the markers wait in fixed-size memory to be drawn over
// it. Both lines are thinned for drawing to what a pixel can show, so the
// file stays small whatever the track's length.
#ifndef PREVIEW_SVG_PICTURE_H
#define PREVIEW_SVG_PICTURE_H

#include <cstdio>
#include <string>

#include "core/track_point.h"
#include "preview/projection.h"

namespace preview {

// Every waypoint gets a marker up to this count; past it, every n-th.
inline constexpr int most_markers = 5000;

// What the caption says.
struct Caption {
    std::string file_name;   // as given, any bytes
    std::string thresholds;  // "/m5 /x1000 /a5 /e50"
    int points_read;
    int waypoints;
    double track_length_m;
    std::string note;  // a further line, or empty
    double largest_deviation_m;
};

// What the picture frames: the whole track, or with has_view only the
// window; and its size in pixels, or 0 x 0 for one fitted to what it
// draws.
struct Framing {
    bool has_view;
    Window view;
    int width_px, height_px;
};

inline constexpr Framing whole_track = {false, {0, 0, 0, 0}, 0, 0};

// Starts the picture in file for a track of this extent whose route will
// have waypoint_count waypoints; title names it in the document.
void begin_picture(std::FILE* file, const TrackExtent& extent, int waypoint_count, const std::string& title,
                   const Framing& framing = whole_track);

// The next track point, in track order.
void draw_track_point(const core::TrackPoint& point);

// The next waypoint, in route order, numbered from 1.
void draw_waypoint(const core::TrackPoint& point, int number);

// Marks the route's worst point, the track point just given to
// draw_track_point: a ring with a line to the nearest point of its leg,
// which lies the given fraction of the way from the leg's start to its
// end (degrees as read), labelled with the distance. Replaces the mark of
// an earlier point.
void mark_deviation(const core::TrackPoint& point, int point_number, double deviation_m,
                    double start_lat_deg, double start_lon_deg, double end_lat_deg,
                    double end_lon_deg, double fraction);

// Draws the route, markers, start and end, the deviation mark, scale bar,
// north arrow and caption, and ends the document. False when a write failed.
bool end_picture(const Caption& caption);

// What a view drew, once the picture is ended: the window in degrees, the
// map's place in the picture, and the track points and waypoints in it.
struct ViewFacts {
    Window window;
    double left, top, width, height;  // pixels
    int track_points, waypoints;
};

ViewFacts view_facts();

// The projection of the picture begun last, whole track or view.
const Projection& picture_projection();

// A round scale-bar length in metres, 1, 2 or 5 times a power of ten, as
// long as fits in limit_m (at least 1 m); and its label, "500 m" or "2 km".
double scale_bar_length(double limit_m);
std::string distance_label(double length_m);

}  // namespace preview

#endif
